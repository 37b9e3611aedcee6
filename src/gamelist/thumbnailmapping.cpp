#include "gamelist/thumbnailmapping.h"

#include <sys/mman.h>

ThumbnailMapping::Pointer ThumbnailMapping::map(int fd, std::size_t size) {
    if (size == 0)
        return {};
    void* address = ::mmap(nullptr, size, PROT_READ, MAP_SHARED, fd, 0);
    if (address == MAP_FAILED)
        return {};
    return Pointer(new ThumbnailMapping(static_cast<const unsigned char*>(address), size));
}

ThumbnailMapping::~ThumbnailMapping() {
    ::munmap(const_cast<unsigned char*>(m_data), m_size);
}

QImage ThumbnailMapping::image(std::size_t offset, int width, int height, qsizetype bytesPerLine,
                               QImage::Format format) const {
    // The image's reference is released by QImage when its last copy goes.
    ref.ref();
    QImage picture(m_data + offset, width, height, bytesPerLine, format, &ThumbnailMapping::release,
                   const_cast<ThumbnailMapping*>(this));
    if (picture.isNull()) // QImage calls no clean-up function for an image it did not make
        ref.deref();
    return picture;
}

void ThumbnailMapping::release(void* mapping) {
    auto* self = static_cast<ThumbnailMapping*>(mapping);
    if (!self->ref.deref())
        delete self;
}
