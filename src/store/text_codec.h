#pragma once
// Text in cruise, recon and setup files is Windows-1252, as the Windows programs that
// share those files read and write it; the program's own strings are UTF-8. The
// store installs these as the engine's text codec (cruise_store.cpp), so every text
// cell read or written in a program that links the store is converted at the cell.
#include <string>
#include <string_view>

namespace store {

// Bytes of a file's text cell as UTF-8. The five bytes that Windows-1252 leaves
// unassigned (81, 8D, 8F, 90, 9D) come out as U+FFFD.
std::string Cp1252ToUtf8(std::string_view bytes);

// The character at utf8[i] and its length in bytes; length 0 when the bytes there are
// not well-formed UTF-8.
char32_t Utf8CharAt(std::string_view utf8, size_t i, size_t& len);
// The Windows-1252 byte of a character; -1 when it has none.
int Cp1252ByteOf(char32_t c);

// True when the bytes are well-formed UTF-8 (no overlong forms or surrogates).
bool WellFormedUtf8(std::string_view bytes);

// UTF-8 as Windows-1252 bytes. False when the text holds a character Windows-1252
// has no byte for (or is not valid UTF-8); `bad` then gets that character as UTF-8
// (or the offending byte), and `out` is left unspecified.
bool Utf8ToCp1252(std::string_view utf8, std::string& out, std::string* bad = nullptr);

// A path as a cruise file records it (where a file came from, never typed by the
// forester): a character without a Windows-1252 byte becomes '?', as the Windows
// programs record such a path, so that a folder's name never stops a step.
std::string PathForFile(std::string_view utf8);

// Empty when the text can be stored in a cruise file; otherwise the reason shown to
// the user: "'Ł' cannot be stored in a cruise file".
std::string UnstorableTextReason(std::string_view utf8);

}  // namespace store
