#include "script/HttpUrl.h"

#include <cctype>

namespace cvn {

namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

bool StartsWithNoCase(std::string_view s, std::string_view prefix) {
    return s.size() >= prefix.size() && Lower(s.substr(0, prefix.size())) == prefix;
}

} // namespace

bool ParseHttpUrl(std::string_view text, THttpUrl& url) {
    url = THttpUrl{};
    std::string_view rest = text;
    size_t sep = rest.find("://");
    size_t firstSlash = rest.find('/');
    if (sep != std::string_view::npos && (firstSlash == std::string_view::npos || sep < firstSlash)) {
        url.scheme = Lower(rest.substr(0, sep));
        rest.remove_prefix(sep + 3);
    } else if (StartsWithNoCase(rest, "http:")) {
        rest.remove_prefix(5); // "http:host/path" without the slashes
    }
    size_t pathStart = rest.find_first_of("/?");
    std::string_view hostPart = rest.substr(0, pathStart);
    std::string_view path = pathStart == std::string_view::npos ? std::string_view{} : rest.substr(pathStart);

    size_t at = hostPart.rfind('@');
    if (at != std::string_view::npos) {
        std::string_view credentials = hostPart.substr(0, at);
        size_t colon = credentials.find(':');
        url.user = std::string(credentials.substr(0, colon));
        if (colon != std::string_view::npos) url.password = std::string(credentials.substr(colon + 1));
        hostPart.remove_prefix(at + 1);
    }
    size_t colon = hostPart.find(':');
    if (colon != std::string_view::npos) {
        std::string_view port = hostPart.substr(colon + 1);
        hostPart = hostPart.substr(0, colon);
        if (port.empty() || port.size() > 5) return false;
        uint32_t value = 0;
        for (char c : port) {
            if (c < '0' || c > '9') return false;
            value = value * 10 + uint32_t(c - '0');
        }
        if (value == 0 || value > 65535) return false;
        url.port = uint16_t(value);
    } else if (url.scheme == "https") {
        url.port = 443;
    }
    if (hostPart.empty()) return false;
    url.host = std::string(hostPart);
    // A query straight after the host still needs the root path in the request line.
    // (Built with append rather than assigned "/" or "/" + path: GCC 12 reports a false
    // overlap, restrict, for those at -O2 and above.)
    url.path.clear();
    if (path.empty() || path.front() == '?') url.path.push_back('/');
    url.path.append(path);
    return true;
}

bool ResolveHttpLocation(const THttpUrl& current, std::string_view location, THttpUrl& next) {
    if (!location.empty() && location.front() == '/' && !(location.size() > 1 && location[1] == '/')) {
        next = current;
        next.path = std::string(location);
        return true;
    }
    return ParseHttpUrl(location, next);
}

std::string HttpDocumentName(std::string_view path) {
    path = path.substr(0, path.find('?'));
    size_t slash = path.rfind('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    if (path.empty() || path == "/") return "document.htm";
    return std::string(name);
}

std::string EscapeUrlSpaces(std::string_view url) {
    std::string out;
    out.reserve(url.size());
    for (char c : url) {
        if (c == ' ')
            out += "%20";
        else
            out += c;
    }
    return out;
}

std::string Base64(std::string_view bytes) {
    static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string out;
    out.reserve((bytes.size() + 2) / 3 * 4);
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size()) n |= uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size()) n |= uint32_t(static_cast<unsigned char>(bytes[i + 2]));
        out += kDigits[(n >> 18) & 63];
        out += kDigits[(n >> 12) & 63];
        out += i + 1 < bytes.size() ? kDigits[(n >> 6) & 63] : '=';
        out += i + 2 < bytes.size() ? kDigits[n & 63] : '=';
    }
    return out;
}

} // namespace cvn
