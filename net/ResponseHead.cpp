#include "net/ResponseHead.h"

namespace hx::net {

const std::u16string* HeaderList::Find(std::u16string_view name) const {
    for (const auto& h : items) {
        if (EqualsNoCase(h.name, name)) {
            return &h.value;
        }
    }
    return nullptr;
}

std::vector<std::u16string> HeaderList::All(std::u16string_view name) const {
    std::vector<std::u16string> values;
    for (const auto& h : items) {
        if (EqualsNoCase(h.name, name)) {
            values.push_back(h.value);
        }
    }
    return values;
}

void HeaderList::Add(Header header) {
    items.push_back(std::move(header));
}

void HeaderList::Remove(std::u16string_view name) {
    std::erase_if(items, [&](const Header& h) { return EqualsNoCase(h.name, name); });
}

void HeaderList::Set(std::u16string_view name, std::u16string_view value) {
    Remove(name);
    items.push_back({std::u16string(name), std::u16string(value)});
}

int ParseStatusCode(std::u16string_view statusLine) {
    size_t space = statusLine.find(u' ');
    if (space == statusLine.npos) {
        return -1;
    }
    std::u16string_view field = statusLine.substr(space + 1);
    field = field.substr(0, field.find(u' '));
    field = field.substr(0, field.find(u'.'));
    if (field.empty() || field.size() > 9) { // nine digits always fit in an int
        return -1;
    }
    int code = 0;
    for (char16_t c : field) {
        if (c < u'0' || c > u'9') {
            return -1;
        }
        code = code * 10 + (c - u'0');
    }
    return code;
}

std::optional<Header> ParseHeaderLine(std::u16string_view line) {
    size_t colon = line.find(u':');
    if (colon == line.npos) {
        return std::nullopt;
    }
    return Header{std::u16string(TrimBlanks(line.substr(0, colon))),
                  std::u16string(TrimBlanks(line.substr(colon + 1)))};
}

namespace {

// The members of every Content-Length field, trimmed: a field holding a comma-separated list
// counts as that many fields. Empty members are no values (a list may hold them).
std::vector<std::u16string> LengthMembers(const HeaderList& headers) {
    std::vector<std::u16string> members;
    for (const std::u16string& value : headers.All(u"Content-Length")) {
        std::u16string_view rest = value;
        for (;;) {
            const size_t comma = rest.find(u',');
            const std::u16string_view member = TrimBlanks(rest.substr(0, comma));
            if (!member.empty()) {
                members.emplace_back(member);
            }
            if (comma == rest.npos) {
                break;
            }
            rest.remove_prefix(comma + 1);
        }
    }
    return members;
}

} // namespace

bool ContentLengthsConflict(const HeaderList& headers) {
    const std::vector<std::u16string> members = LengthMembers(headers);
    for (const std::u16string& member : members) {
        if (member != members.front()) {
            return true;
        }
    }
    return false;
}

std::optional<int64_t> ContentLength(const HeaderList& headers) {
    const std::vector<std::u16string> members = LengthMembers(headers);
    if (members.empty()) {
        return std::nullopt;
    }
    int64_t length = 0;
    for (char16_t c : members.front()) {
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        int digit = c - u'0';
        if (length > (INT64_MAX - digit) / 10) {
            return std::nullopt;
        }
        length = length * 10 + digit;
    }
    return length;
}

bool IsChunked(const HeaderList& headers) {
    for (const auto& value : headers.All(u"Transfer-Encoding")) {
        if (FindNoCase(value, u"chunked") != std::u16string_view::npos) {
            return true;
        }
    }
    return false;
}

bool AllowsKeepAlive(const HeaderList& headers) {
    for (auto name : {u"Connection", u"Proxy-Connection"}) {
        for (const auto& value : headers.All(name)) {
            if (EqualsNoCase(TrimBlanks(value), u"close")) {
                return false;
            }
        }
    }
    return true;
}

LineReader::Status LineReader::Take(std::span<const uint8_t> in, size_t& pos, size_t maxLine) {
    if (complete_) {
        raw_.clear();
        complete_ = false;
    }
    while (pos < in.size()) {
        uint8_t b = in[pos++];
        if (b == '\n') {
            if (!raw_.empty() && raw_.back() == '\r') {
                raw_.pop_back();
            }
            line_ = HeadText(raw_);
            raw_.clear();
            complete_ = true;
            return Status::Line;
        }
        raw_.push_back(static_cast<char>(b));
        // One byte of slack for a CR that may turn out to precede the LF.
        if (raw_.size() > maxLine + 1 || (raw_.size() == maxLine + 1 && b != '\r')) {
            return Status::TooLong;
        }
    }
    return Status::NeedMore;
}

size_t HeadReader::Feed(std::span<const uint8_t> bytes) {
    size_t pos = 0;
    while (state_ == State::StatusLine || state_ == State::Headers) {
        size_t before = pos;
        auto status = lines_.Take(bytes, pos);
        headBytes_ += pos - before;
        if (status == LineReader::Status::TooLong) {
            Fail(Failure::LineTooLong);
        } else if (headBytes_ > kMaxHeadBytes) {
            Fail(Failure::HeadTooLarge);
        } else if (status == LineReader::Status::Line) {
            TakeLine(lines_.line());
        } else {
            break;
        }
    }
    return pos;
}

void HeadReader::TakeLine(const std::u16string& line) {
    if (state_ == State::StatusLine) {
        // Blank lines before the status line are tolerated (stray line ends of a previous
        // response on a kept-alive connection).
        if (line.empty()) {
            return;
        }
        statusLine_ = line;
        statusCode_ = ParseStatusCode(line);
        state_ = State::Headers;
        return;
    }
    if (line.empty()) {
        state_ = State::Complete;
        return;
    }
    if (++headerLines_ > kMaxHeaderCount) {
        Fail(Failure::TooManyHeaders);
        return;
    }
    if (auto header = ParseHeaderLine(line)) {
        headers_.Add(std::move(*header));
    }
}

void HeadReader::ConnectionEnded() {
    if (state_ == State::Headers) {
        state_ = State::Complete;
    } else if (state_ == State::StatusLine) {
        Fail(Failure::ClosedBeforeStatus);
    }
}

void HeadReader::Fail(Failure why) {
    state_ = State::Failed;
    failure_ = why;
}

void HeadReader::Reset() {
    *this = HeadReader();
}

} // namespace hx::net
