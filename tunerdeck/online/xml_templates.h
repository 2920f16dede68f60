// The request and record templates of the interface-server exchange, slots
// 1 to 18 (9 and 15 are empty), and a safe filler for their %s and %d
// fields. Free of Windows calls.
#pragma once

#include <initializer_list>
#include <string>

constexpr int kXmlTemplateSlots = 18;
// The template of a slot, with its declaration; "" for an empty or unknown slot.
const char* XmlTemplate(int slot);
// Replaces the %s and %d fields of `tmpl` in order by the given texts (a
// number is given as its decimal text); "%%" stands for one "%". Texts are
// inserted as they are: the caller escapes what needs escaping. Fields
// without a value are left empty.
std::string FormatTemplate(const std::string& tmpl, std::initializer_list<std::string> values);
