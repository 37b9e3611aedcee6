#include "core/korvelloerror.h"

KorvelloError::KorvelloError(QString text) : m_text(std::move(text)), m_utf8(m_text.toStdString()) {}

KorvelloError::KorvelloError(QString text, const KorvelloError& inner)
    : m_text(std::move(text)), m_inner(std::make_shared<KorvelloError>(inner)), m_utf8(m_text.toStdString()) {
}

QString KorvelloError::innermostText() const {
    const KorvelloError* e = this;
    while (e->m_inner)
        e = e->m_inner.get();
    return e->m_text;
}

const char* KorvelloError::what() const noexcept {
    return m_utf8.c_str();
}

QString reportText(const QString& innermost) {
    if (!innermost.isEmpty() && innermost.back().unicode() > u'.')
        return innermost + u'.';
    return innermost;
}
