// The connection check of the "-CheckConnection" run: asks the interface
// server's ping page whether it answers with its acknowledgement "ok_vl".
// A small private stand-in until the common library's internet check is
// there; same question, same answer.
#pragma once

// The interface server's host name (a built-in constant; the environment
// variable TD_INTERFACE_SERVER, "host[:port]", replaces it for tests).
void InterfaceServer(char* host, unsigned long size);
int CheckInterfaceServer(const char* server, const char* user, const char* password);
