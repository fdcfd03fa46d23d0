#include "framework/binarystream.h"

#include <bit>

namespace fw {

namespace {

std::uint64_t bigEndian(const unsigned char* p, int bytes) {
    std::uint64_t v = 0;
    for (int i = 0; i < bytes; ++i) v = (v << 8) | p[i];
    return v;
}

}  // namespace

bool BinaryReader::take(qsizetype n, const unsigned char*& p) {
    if (n < 0 || n > BytesLeft()) return false;
    p = reinterpret_cast<const unsigned char*>(data_.constData()) + pos_;
    pos_ += n;
    return true;
}

bool BinaryReader::ReadUInt8(std::uint8_t& v) {
    const unsigned char* p = nullptr;
    if (!take(1, p)) return false;
    v = p[0];
    return true;
}

bool BinaryReader::ReadInt8(std::int8_t& v) {
    std::uint8_t u = 0;
    if (!ReadUInt8(u)) return false;
    v = static_cast<std::int8_t>(u);
    return true;
}

bool BinaryReader::ReadInt32(std::int32_t& v) {
    const unsigned char* p = nullptr;
    if (!take(4, p)) return false;
    v = static_cast<std::int32_t>(static_cast<std::uint32_t>(bigEndian(p, 4)));
    return true;
}

bool BinaryReader::ReadInt64(std::int64_t& v) {
    const unsigned char* p = nullptr;
    if (!take(8, p)) return false;
    v = static_cast<std::int64_t>(bigEndian(p, 8));
    return true;
}

bool BinaryReader::ReadSingle(float& v) {
    const unsigned char* p = nullptr;
    if (!take(4, p)) return false;
    v = std::bit_cast<float>(static_cast<std::uint32_t>(bigEndian(p, 4)));
    return true;
}

bool BinaryReader::ReadDouble(double& v) {
    const unsigned char* p = nullptr;
    if (!take(8, p)) return false;
    v = std::bit_cast<double>(bigEndian(p, 8));
    return true;
}

bool BinaryReader::ReadBytes(qsizetype n, QByteArray& out) {
    const unsigned char* p = nullptr;
    if (!take(n, p)) return false;
    out = QByteArray(reinterpret_cast<const char*>(p), n);
    return true;
}

void BinaryWriter::writeBigEndian(std::uint64_t v, int bytes) {
    char buf[8] = {};
    for (int i = bytes - 1; i >= 0; --i) {
        buf[i] = static_cast<char>(v & 0xFF);
        v >>= 8;
    }
    data_.append(buf, bytes);
}

void BinaryWriter::WriteInt32(std::int32_t v) { writeBigEndian(static_cast<std::uint32_t>(v), 4); }
void BinaryWriter::WriteInt64(std::int64_t v) { writeBigEndian(static_cast<std::uint64_t>(v), 8); }
void BinaryWriter::WriteSingle(float v) { writeBigEndian(std::bit_cast<std::uint32_t>(v), 4); }
void BinaryWriter::WriteDouble(double v) { writeBigEndian(std::bit_cast<std::uint64_t>(v), 8); }

}  // namespace fw
