// ZlibExtension: a C library bound as an author binds one. zlib's functions take pointers and
// lengths and report failures as return codes; each row is a small C++ function that takes and
// gives strings (a Quon String holds any bytes, NULs included), turns a code into an error, and
// leaves the rest to the framework. A streaming compressor is a class with member-function rows.
#include <zlib.h>

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "interface/QuonExtension.h"

namespace zlib {

using QUON_ExternLib::Error;

// zlib's own text for a return code ("buffer error", "data error", ...).
[[noreturn]] void Fail(const char* what, int code) {
    throw Error(std::string(what) + ": " + ::zError(code));
}

const Bytef* Bytes(std::string_view data) {
    return reinterpret_cast<const Bytef*>(data.data());
}

// uInt lengths: zlib's one-shot calls take at most 4 GiB - 1 bytes.
uInt Length(std::string_view data) {
    if (data.size() > UINT32_MAX) throw Error("more than 4 GiB - 1 bytes");
    return static_cast<uInt>(data.size());
}

std::int64_t Crc32(std::string_view data) {
    return static_cast<std::int64_t>(::crc32(0, Bytes(data), Length(data)));
}

std::int64_t Adler32(std::string_view data) {
    return static_cast<std::int64_t>(::adler32(1, Bytes(data), Length(data)));
}

// The data compressed at a level from 0 (none) to 9 (smallest), or -1 for zlib's default.
std::string Compress(std::string_view data, std::int64_t level) {
    if (level < -1 || level > 9) throw Error("the level is -1 (default) or 0 to 9, not " + std::to_string(level));
    std::string out(::compressBound(Length(data)), '\0');
    uLongf size = out.size();
    const int code = ::compress2(reinterpret_cast<Bytef*>(out.data()), &size, Bytes(data), Length(data),
                                 static_cast<int>(level));
    if (code != Z_OK) Fail("compress", code);
    out.resize(size);
    return out;
}

// The data decompressed; `size` is the length it had before, as the caller kept it.
std::string Uncompress(std::string_view data, std::int64_t size) {
    if (size < 0 || size > UINT32_MAX) throw Error("the size is 0 to 4294967295, not " + std::to_string(size));
    std::string out(static_cast<std::size_t>(size), '\0');
    uLongf length = out.size();
    const int code = ::uncompress(reinterpret_cast<Bytef*>(out.data()), &length, Bytes(data), Length(data));
    if (code != Z_OK) Fail("uncompress", code);
    out.resize(length);
    return out;
}

std::string Version() {
    return ::zlibVersion();  // a const char* result would not compile: the text is copied
}

// A deflate stream: written piece by piece, its compressed bytes taken at the end.
class Deflater {
public:
    explicit Deflater(int level) {
        if (::deflateInit(&stream, level) != Z_OK) throw Error("deflateInit: " + std::string(stream.msg ? stream.msg : "failed"));
    }
    ~Deflater() { ::deflateEnd(&stream); }
    Deflater(const Deflater&) = delete;
    Deflater& operator=(const Deflater&) = delete;

    // Adds the data; gives the number of bytes written so far.
    std::int64_t Write(std::string_view data) {
        Run(data, Z_NO_FLUSH);
        return static_cast<std::int64_t>(stream.total_in);
    }
    // The compressed stream; the deflater takes no more data afterwards.
    std::string Finish() {
        if (!finished) Run({}, Z_FINISH);
        finished = true;
        return out;
    }
    std::string Text() const {
        return "Deflater(" + std::to_string(stream.total_in) + " bytes in" + (finished ? ", finished)" : ")");
    }

private:
    void Run(std::string_view data, int flush) {
        if (finished) throw Error("the deflater is finished");
        stream.next_in = const_cast<Bytef*>(Bytes(data));
        stream.avail_in = Length(data);
        int code;
        do {
            unsigned char chunk[16384];
            stream.next_out = chunk;
            stream.avail_out = sizeof chunk;
            code = ::deflate(&stream, flush);
            if (code == Z_STREAM_ERROR) Fail("deflate", code);
            out.append(reinterpret_cast<const char*>(chunk), sizeof chunk - stream.avail_out);
        } while (stream.avail_out == 0 || (flush == Z_FINISH && code != Z_STREAM_END));
    }

    z_stream stream{};
    std::string out;
    bool finished = false;
};

std::unique_ptr<Deflater> NewDeflater(std::int64_t level) {
    if (level < -1 || level > 9) throw Error("the level is -1 (default) or 0 to 9, not " + std::to_string(level));
    return std::make_unique<Deflater>(static_cast<int>(level));
}

}  // namespace zlib

void QUON_ExternLib::DescribeLibrary(LibraryBuilder& library) {
    using namespace zlib;
    library.Name("ZlibExtension", zul::VersionInfo(1, 0, 0, ""));
    library.Class<Deflater, &Deflater::Text>("Deflater");
    library.Add<&Crc32>("crc32", "The CRC-32 of the bytes.", {"data"});                    // ( String -> Int )
    library.Add<&Adler32>("adler32", "The Adler-32 checksum of the bytes.", {"data"});      // ( String -> Int )
    library.Add<&Compress>("compress", "The bytes compressed (zlib format).", {"data", "level"});
    library.Add<&Uncompress>("uncompress", "Compressed bytes restored, given their length.", {"data", "size"});
    library.Add<&Version>("zlibVersion", "The zlib version loaded.");                         // (  -> String )
    library.Add<&NewDeflater>("newDeflater", "A deflate stream at a level.", {"level"});     // ( Int -> Deflater )
    library.Add<&Deflater::Write>("deflaterWrite", "Adds bytes; the count so far.", {"deflater", "data"});
    library.Add<&Deflater::Finish>("deflaterFinish", "The compressed stream.", {"deflater"});
}
