#pragma once

#include <QImage>
#include <QString>
#include <exception>

// One import of a chosen picture as a game's poster and thumbnail, in a form
// that can run on a worker thread: it touches no widget, and everything the
// window shows afterwards comes back in its Outcome. The steps and their order
// are the editor buttons': the poster (when asked for) is written first, then
// the blur radius is read, then the thumbnail is written. A failing step ends
// the import with that step's error text; what was written before stays.
class ArtworkImportJob {
public:
    struct Request {
        QString source;     // the chosen picture
        QString posterPath; // empty for "Thumbnail only"
        QString thumbPath;
        QString blurText; // the radius as typed, read after the poster is written
    };
    struct Outcome {
        QImage poster; // the poster as written, decoded again; null when none was written
        QImage thumb;  // likewise the thumbnail
        // The error that ended the import, null when every step succeeded;
        // rethrown on the window's thread, it is reported like any other.
        std::exception_ptr error;
    };

    explicit ArtworkImportJob(Request request) : m_request(std::move(request)) {}

    // Runs every step; never throws.
    void run();
    const Outcome& outcome() const { return m_outcome; }

private:
    Request m_request;
    Outcome m_outcome;
};
