#pragma once
// The plug-in's rules that need no daemon: the TXT record format, the address records, the
// port to publish, the index rules of the list of found services, and the keyboard test at load.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace bonjour {

// The index of an event about a service that is no longer listed.
constexpr std::int32_t kNotFound = 2147483647;

// Two found services are the same service when name, type and domain are equal.
struct ServiceKey {
    std::string name, type, domain;
    bool operator==(const ServiceKey&) const = default;
};

// The index of the first entry equal to key, or kNotFound.
std::int32_t FirstIndex(const std::vector<const ServiceKey*>& list, const ServiceKey& key);

using Bytes = std::vector<unsigned char>;

// The TXT record of the strings, in their order: each as its length byte and its bytes, cut to
// 255 bytes; an empty string as the length 1 and one byte 0.
Bytes EncodeTxt(const std::vector<std::string>& strings);

// String number index of TXT record data, read up to its first zero byte; nothing when the data
// ends first, when index is negative, or when that string's length byte runs past the end.
std::optional<std::string> TxtString(const Bytes& data, std::int32_t index);

// An IPv4 socket address record as the accessors read it: bytes 2 and 3 are the port in network
// order, bytes 4 to 7 the address.
Bytes Ipv4Record(const unsigned char address[4], std::uint16_t port);
// Dotted text of bytes 4 to 7; nothing for a record shorter than 8 bytes.
std::optional<std::string> RecordAddress(const Bytes& record);
// Bytes 2 and 3 in host order; nothing for a record shorter than 4 bytes.
std::optional<std::int32_t> RecordPort(const Bytes& record);

// The port to publish for the port argument. 0 or more: its low 16 bits. Negative: a throw-away
// port, one the system hands out to a socket bound to port 0, read back and the socket closed;
// no socket at all gives 0; a socket that cannot be bound or read back gives nothing (nothing is
// published).
std::optional<std::uint16_t> PublishedPort(std::int32_t requested);

// The keyboard test at load: the keys with the virtual codes 3, 9, 12 and 14 down, and no other.
bool CheckCredits(const unsigned char keys[16]);

// The text AboutBonjour answers, lines separated by line feeds, UTF-8.
const std::string& AboutText();

}  // namespace bonjour
