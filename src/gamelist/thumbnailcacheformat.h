#pragma once

#include <cstdint>

// The thumbnail cache's two files, in the machine's own byte order (the cache
// never leaves the machine that wrote it).
//
// The pixel file "<key>.pixels" starts with a DataHeader and then holds cell
// pictures, each at a multiple of kBlockAlign. It only ever grows: blocks are
// appended and never rewritten, so a reader that mapped it keeps valid pixels
// while another rebuild appends. Compaction writes a new pixel file with a new
// generation and renames it over the old one.
//
// The index file "<key>.index" is replaced as a whole (temporary file, then
// rename) after the blocks it names are written: an IndexHeader, entryCount
// IndexEntry records, then a strings area (file names, error texts and the
// program folder). Every field is checked before use; anything that does not
// hold makes the whole cache read as empty.
namespace thumbnailcache {

constexpr char kIndexMagic[8] = {'K', 'V', 'T', 'H', 'I', 'D', 'X', '\n'};
constexpr char kDataMagic[8] = {'K', 'V', 'T', 'H', 'D', 'A', 'T', '\n'};
// Raise whenever the layout or the way cells are made (fitting, formats)
// changes: caches of another version are rebuilt.
constexpr std::uint32_t kVersion = 1;
// Blocks start on cache-line boundaries; QImage needs at least 4.
constexpr std::uint64_t kBlockAlign = 64;

enum class EntryStatus : std::uint32_t {
    Picture = 1, // dataOffset/dataSize: the cell's pixels in the pixel file
    Damaged = 2, // dataOffset/dataSize: the decoder's error text in the strings area
};

struct IndexHeader {
    char magic[8];
    std::uint32_t version;
    std::uint32_t entrySize;  // sizeof(IndexEntry)
    std::uint32_t headerSize; // sizeof(IndexHeader)
    std::uint32_t entryCount;
    std::uint64_t fileSize;    // the whole index file
    std::uint64_t generation;  // the pixel file's that the entries point into
    std::uint64_t stringsSize; // the strings area follows the entries
    std::uint64_t folderOffset;
    std::uint64_t folderLength; // the program folder (UTF-8) in the strings area
    std::uint64_t checksum;     // FNV-1a of every byte after the header
};

struct IndexEntry {
    std::uint64_t nameOffset; // the file's name relative to the program folder, UTF-8
    std::uint64_t nameLength;
    std::int64_t fileSize; // the JPEG file when it was decoded
    std::int64_t mtimeNs;
    std::uint64_t inode;
    std::uint64_t dataOffset;
    std::uint64_t dataSize;
    std::uint32_t status;
    std::uint32_t format; // QImage::Format of a picture
    std::uint32_t width;
    std::uint32_t height;
    std::uint32_t bytesPerLine;
    std::uint32_t reserved;
};

struct DataHeader {
    char magic[8];
    std::uint32_t version;
    std::uint32_t reserved;
    std::uint64_t generation;
    std::uint64_t reserved2[5];
};

static_assert(sizeof(IndexHeader) == 72);
static_assert(sizeof(IndexEntry) == 80);
static_assert(sizeof(DataHeader) == kBlockAlign);

// FNV-1a over the bytes, 64-bit.
inline std::uint64_t checksum(const unsigned char* data, std::uint64_t size) {
    std::uint64_t hash = 14695981039346656037ull;
    for (std::uint64_t i = 0; i < size; ++i) {
        hash ^= data[i];
        hash *= 1099511628211ull;
    }
    return hash;
}

} // namespace thumbnailcache
