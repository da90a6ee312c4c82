// Fuzz target for charset choice and decoding. The input's first line is the Content-Type
// value, the rest the body. Decoding never yields more characters than bytes.
#include "net/Charset.h"

#include "tests/fuzz/FuzzCheck.h"

#include <cstdint>
#include <cstdlib>
#include <string_view>

using namespace hx::net;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::span<const uint8_t> in(data, size);
    size_t eol = 0;
    while (eol < size && data[eol] != '\n') {
        ++eol;
    }
    HeaderList headers;
    headers.Add({u"Content-Type", HeadText(in.first(eol))});
    std::span<const uint8_t> body = eol < size ? in.subspan(eol + 1) : in.subspan(size);

    std::u16string charset = ChooseCharset(body, headers);
    std::u16string text = DecodeBody(body, headers);
    Require(text.size() <= body.size());
    Require(text == DecodeWithCharset(body, charset) || body.empty());
    if (!IsKnownCharset(charset)) {
        Require(text.size() == body.size());
    }

    for (auto name : {u"utf-8", u"utf-16", u"utf-16le", u"UTF-16BE", u"iso-8859-1", u"us-ascii",
                      u"windows-1252", u"x-unknown"}) {
        Require(DecodeWithCharset(body, name).size() <= body.size());
    }
    return 0;
}
