#include "plugin/logic.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>

namespace bonjour {

std::int32_t FirstIndex(const std::vector<const ServiceKey*>& list, const ServiceKey& key) {
    for (std::size_t i = 0; i < list.size() && i < std::size_t(kNotFound); ++i)
        if (*list[i] == key) return std::int32_t(i);
    return kNotFound;
}

Bytes EncodeTxt(const std::vector<std::string>& strings) {
    Bytes out;
    for (const std::string& s : strings) {
        if (s.empty()) {
            out.push_back(1);
            out.push_back(0);
            continue;
        }
        const std::size_t n = std::min<std::size_t>(s.size(), 255);
        out.push_back(static_cast<unsigned char>(n));
        out.insert(out.end(), s.begin(), s.begin() + std::ptrdiff_t(n));
    }
    return out;
}

std::optional<std::string> TxtString(const Bytes& data, std::int32_t index) {
    if (index < 0) return std::nullopt;
    std::size_t pos = 0;
    for (std::int32_t k = 0; pos < data.size(); ++k) {
        const std::size_t length = data[pos];
        const std::size_t begin = pos + 1;
        if (k == index) {
            if (length > data.size() - begin) return std::nullopt;
            const auto first = data.begin() + std::ptrdiff_t(begin);
            const auto last = std::find(first, first + std::ptrdiff_t(length), 0);
            return std::string(first, last);
        }
        pos = begin + length;
    }
    return std::nullopt;
}

Bytes Ipv4Record(const unsigned char address[4], std::uint16_t port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    std::memcpy(&a.sin_addr, address, 4);
    Bytes out(sizeof a);
    std::memcpy(out.data(), &a, sizeof a);
    return out;
}

std::optional<std::string> RecordAddress(const Bytes& record) {
    if (record.size() < 8) return std::nullopt;
    return std::to_string(record[4]) + '.' + std::to_string(record[5]) + '.' + std::to_string(record[6]) + '.' +
           std::to_string(record[7]);
}

std::optional<std::int32_t> RecordPort(const Bytes& record) {
    if (record.size() < 4) return std::nullopt;
    return (std::int32_t(record[2]) << 8) | std::int32_t(record[3]);
}

std::optional<std::uint16_t> PublishedPort(std::int32_t requested) {
    if (requested >= 0) return static_cast<std::uint16_t>(requested & 0xFFFF);
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return std::uint16_t(0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_ANY);
    a.sin_port = 0;
    socklen_t len = sizeof a;
    std::optional<std::uint16_t> port;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 && ::getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) == 0)
        port = ntohs(a.sin_port);
    ::close(fd);
    return port;
}

bool CheckCredits(const unsigned char keys[16]) {
    auto isKey = [keys](int k) { return ((keys[k / 8] >> (k % 8)) & 1) != 0; };
    for (int k = 0; k < 128; ++k) {
        const bool wanted = k == 3 || k == 9 || k == 12 || k == 14;
        if (isKey(k) != wanted) return false;
    }
    return true;
}

const std::string& AboutText() {
    static const std::string text =
        "Bonjour, greffon DNS-SD de Quorril, par l'équipe Quorril, 2026\n"
        "Version 1.0.6\n"
        "Nouveauté :\n"
        "- Possibilité de gérer les ports\n"
        "\n"
        "https://quorril.example.org";
    return text;
}

}  // namespace bonjour
