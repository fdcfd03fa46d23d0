#pragma once
// Big-endian bytes, integers and reals read from and written into a memory buffer. A read that
// would pass the end of the buffer fails, consumes nothing and leaves its output untouched, so a
// reader of untrusted bytes never needs more than the bytes that are there.
#include <QByteArray>

#include <cstdint>

namespace fw {

class BinaryReader {
public:
    explicit BinaryReader(QByteArray data) : data_(std::move(data)) {}

    qsizetype BytesLeft() const { return data_.size() - pos_; }
    bool AtEnd() const { return pos_ >= data_.size(); }

    bool ReadUInt8(std::uint8_t& v);
    bool ReadInt8(std::int8_t& v);
    bool ReadInt32(std::int32_t& v);
    bool ReadInt64(std::int64_t& v);
    bool ReadSingle(float& v);
    bool ReadDouble(double& v);
    // n bytes; a negative n or more than BytesLeft() fails without allocating.
    bool ReadBytes(qsizetype n, QByteArray& out);

private:
    bool take(qsizetype n, const unsigned char*& p);
    QByteArray data_;
    qsizetype pos_ = 0;
};

class BinaryWriter {
public:
    const QByteArray& Data() const { return data_; }

    void WriteUInt8(std::uint8_t v) { data_.append(static_cast<char>(v)); }
    void WriteInt8(std::int8_t v) { data_.append(static_cast<char>(v)); }
    void WriteInt32(std::int32_t v);
    void WriteInt64(std::int64_t v);
    void WriteSingle(float v);
    void WriteDouble(double v);
    void WriteBytes(const QByteArray& bytes) { data_.append(bytes); }

private:
    void writeBigEndian(std::uint64_t v, int bytes);
    QByteArray data_;
};

}  // namespace fw
