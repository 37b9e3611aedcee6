#pragma once

#include <QExplicitlySharedDataPointer>
#include <QImage>
#include <QSharedData>
#include <cstddef>

// A block of anonymous memory whose pictures are handed out as QImages over
// its bytes: no copy is made per picture, and every such image holds a
// reference, so the block lives until the last image and the last holder are
// gone. Modifying such an image detaches it (QImage copies read-only external
// data before writing). A rebuild decodes its cells into one such block before
// they are in the cache file.
class ThumbnailMapping : public QSharedData {
public:
    using Pointer = QExplicitlySharedDataPointer<ThumbnailMapping>;

    // Zero-filled writable memory of at least `size` bytes, in huge pages where
    // the kernel gives them: the cells of thousands of games then cost a few
    // dozen page faults instead of one for every 4 KB. Null when that fails.
    static Pointer allocate(std::size_t size);
    ~ThumbnailMapping();
    ThumbnailMapping(const ThumbnailMapping&) = delete;
    ThumbnailMapping& operator=(const ThumbnailMapping&) = delete;

    std::size_t size() const { return m_size; }
    const unsigned char* data() const { return m_data; }
    // Only for allocate()d memory, before its images are handed out.
    unsigned char* writableData() { return const_cast<unsigned char*>(m_data); }
    // The picture whose rows start at `offset`. The caller has checked that
    // the rows lie inside the block and that offset and bytesPerLine are
    // multiples of 4.
    QImage image(std::size_t offset, int width, int height, qsizetype bytesPerLine,
                 QImage::Format format) const;

private:
    ThumbnailMapping(const unsigned char* data, std::size_t size)
        : m_data(data), m_size(size), m_mappedSize(size) {}
    static void release(void* mapping);

    const unsigned char* m_data;
    std::size_t m_size;       // what the block holds
    std::size_t m_mappedSize; // what was mapped for it
};
