#include "gamelist/artworksource.h"

#include "gamelist/jpeg.h"

const QImage& ArtworkSource::picture() {
    if (m_picture.isNull())
        m_picture = jpeg::decodeFile(m_path);
    return m_picture;
}
