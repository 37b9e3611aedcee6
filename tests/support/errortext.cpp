#include "support/errortext.h"

#include "core/korvelloerror.h"

QString errorOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const KorvelloError& e) {
        return e.text();
    }
    return {};
}
