#include "gamelist/artworkimportjob.h"

#include "core/numbertext.h"
#include "gamelist/artwork.h"
#include "gamelist/artworkimport.h"
#include "gamelist/artworksource.h"
#include "gamelist/jpeg.h"

void ArtworkImportJob::run() {
    try {
        const bool withPoster = !m_request.posterPath.isEmpty();
        QList<ArtworkSource::Target> targets;
        if (withPoster)
            targets.append({artwork::kPosterTall, artwork::kPosterWide});
        targets.append({artwork::kThumbTall, artwork::kThumbWide});
        // One pass over the chosen file makes both pictures.
        ArtworkSource source(m_request.source, targets);
        if (withPoster) {
            SaveScaledJpeg(source, m_request.posterPath, 0.0, artwork::kPosterTall, artwork::kPosterWide);
            m_outcome.poster = jpeg::decodeFile(m_request.posterPath);
        }
        const double radius = numbertext::toDouble(m_request.blurText);
        SaveScaledJpeg(source, m_request.thumbPath, radius, artwork::kThumbTall, artwork::kThumbWide);
        m_outcome.thumb = jpeg::decodeFile(m_request.thumbPath);
    } catch (...) {
        m_outcome.error = std::current_exception();
    }
}
