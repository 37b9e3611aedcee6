#pragma once

#include <QExplicitlySharedDataPointer>
#include <QImage>
#include <QSharedData>
#include <cstddef>

// A read-only memory mapping of a file (the thumbnail cache's pixel file) whose
// pictures are handed out as QImages over the mapped bytes: no copy is made, and
// every such image holds a reference, so the mapping lives until the last image
// and the last holder are gone. Modifying such an image detaches it (QImage
// copies read-only external data before writing), the file is never written
// through the mapping.
//
// allocate() makes the same kind of holder over anonymous memory, for the
// cells a rebuild decodes before they are in the cache file.
class ThumbnailMapping : public QSharedData {
public:
    using Pointer = QExplicitlySharedDataPointer<ThumbnailMapping>;

    // Maps the first `size` bytes of the open file; null when that fails.
    static Pointer map(int fd, std::size_t size);
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
    // the rows lie inside the mapping and that offset and bytesPerLine are
    // multiples of 4.
    QImage image(std::size_t offset, int width, int height, qsizetype bytesPerLine,
                 QImage::Format format) const;

private:
    ThumbnailMapping(const unsigned char* data, std::size_t size) : m_data(data), m_size(size) {}
    static void release(void* mapping);

    const unsigned char* m_data;
    std::size_t m_size;
};
