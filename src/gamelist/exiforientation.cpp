#include "gamelist/exiforientation.h"

#include <libexif/exif-data.h>
#include <memory>

int exiforientation::fromExifBlock(const QByteArray& block) {
    if (block.isEmpty())
        return 1;
    std::unique_ptr<ExifData, decltype(&exif_data_unref)> data(exif_data_new(), &exif_data_unref);
    if (!data)
        return 1;
    // libexif would otherwise "fix" the block while loading it, adding entries
    // with default values; only what the camera wrote counts here.
    exif_data_unset_option(data.get(), EXIF_DATA_OPTION_FOLLOW_SPECIFICATION);
    exif_data_load_data(data.get(), reinterpret_cast<const unsigned char*>(block.constData()),
                        static_cast<unsigned int>(block.size()));
    const ExifEntry* entry = exif_content_get_entry(data->ifd[EXIF_IFD_0], EXIF_TAG_ORIENTATION);
    if (!entry || entry->format != EXIF_FORMAT_SHORT || entry->components < 1 || !entry->data ||
        entry->size < 2)
        return 1;
    const int value = exif_get_short(entry->data, exif_data_get_byte_order(data.get()));
    return value >= 1 && value <= 8 ? value : 1;
}
