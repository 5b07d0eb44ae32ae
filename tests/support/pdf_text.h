#pragma once
// The page contents of a PDF written by the program's PDF writer, inflated when the
// writer compressed them, so a test can look for the bytes a page shows.
#include <string>

#ifdef STROVAN_TEST_ZLIB
#include <zlib.h>
#endif

namespace testsupport {

inline std::string PdfPageContents(const std::string& pdf) {
    std::string out;
    for (size_t at = pdf.find("stream\n"); at != std::string::npos; at = pdf.find("stream\n", at)) {
        at += 7;
        const size_t end = pdf.find("\nendstream", at);
        if (end == std::string::npos) break;
        std::string data = pdf.substr(at, end - at);
#ifdef STROVAN_TEST_ZLIB
        std::string plain(data.size() * 20 + 4096, '\0');
        uLongf size = static_cast<uLongf>(plain.size());
        if (uncompress(reinterpret_cast<Bytef*>(plain.data()), &size, reinterpret_cast<const Bytef*>(data.data()),
                       static_cast<uLong>(data.size())) == Z_OK)
            data = plain.substr(0, size);
#endif
        out += data;
        at = end;
    }
    return out;
}

}  // namespace testsupport
