// The interface server whose ping page the "-CheckConnection" run asks: a
// built-in host name, which the environment variable TD_INTERFACE_SERVER
// ("host[:port]") replaces for tests.
#pragma once

void InterfaceServer(char* host, unsigned long size);
