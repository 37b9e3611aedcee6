#include "gamelist/thumbnailmapping.h"

#include <cstdint>
#include <sys/mman.h>

ThumbnailMapping::Pointer ThumbnailMapping::allocate(std::size_t size) {
    constexpr std::size_t kHugePage = std::size_t(2) << 20;
    if (size == 0)
        return {};
    // Huge pages need an aligned range: map one huge page more, then give back
    // the ends outside the aligned part.
    const std::size_t rounded = (size + kHugePage - 1) / kHugePage * kHugePage;
    void* address =
        ::mmap(nullptr, rounded + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (address == MAP_FAILED)
        return {};
    auto* start = static_cast<unsigned char*>(address);
    const std::uintptr_t misalignment = reinterpret_cast<std::uintptr_t>(start) % kHugePage;
    unsigned char* aligned = misalignment ? start + (kHugePage - misalignment) : start;
    if (aligned > start)
        ::munmap(start, std::size_t(aligned - start));
    unsigned char* end = start + rounded + kHugePage;
    if (end > aligned + rounded)
        ::munmap(aligned + rounded, std::size_t(end - (aligned + rounded)));
    ::madvise(aligned, rounded, MADV_HUGEPAGE); // advice only: small pages still work
    return Pointer(new ThumbnailMapping(aligned, rounded));
}

ThumbnailMapping::~ThumbnailMapping() {
    ::munmap(const_cast<unsigned char*>(m_data), m_mappedSize);
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
