// plumtide-keymap convert: a keymap file from UTF-8 text written in any editor.
#pragma once

#include <string>

// The bytes of a keymap file for UTF-8 `text`: UTF-16LE without a byte-order mark, every line ended
// with CRLF (a line feed alone becomes CRLF, a last line without an end gets one), and a UTF-8
// byte-order mark at the start dropped.
std::string keymapFromUtf8(const std::string& text);
