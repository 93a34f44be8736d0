// Feeds arbitrary bytes to the HTTP reply parser as a server (or anything that
// answers on the port) might send them, cut into pieces whose size the first byte
// picks. Every input must end in a reply or a failure with a reason: never a crash,
// a line longer than the buffer, or more body than the reply announced.

#include "script/HttpMessage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const size_t step = size_t(data[0]) + 1;
    const char* bytes = reinterpret_cast<const char*>(data + 1);
    size -= 1;
    using S = cvn::THttpReplyParser::TState;
    cvn::THttpReplyParser p;
    int64_t body = 0;
    p.onBody = [&](const char*, size_t n) {
        body += int64_t(n);
        return true;
    };
    S state = p.State();
    for (size_t at = 0; at < size && (state == S::Header || state == S::Body); at += step)
        state = p.Feed(bytes + at, step < size - at ? step : size - at);
    if (state == S::Header || state == S::Body) state = p.Closed();
    if (state != S::Done && state != S::Failed) std::abort();
    if (state == S::Failed && p.Failure().empty()) std::abort();
    if (body != p.Received()) std::abort();
    if (p.ContentLength() >= 0 && p.Received() > p.ContentLength()) std::abort();
    if (p.HeaderLines().size() > 256) std::abort();
    for (const auto& line : p.HeaderLines())
        if (line.size() > cvn::THttpReplyParser::kLineLimit) std::abort();
    return 0;
}
