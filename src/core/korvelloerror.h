#pragma once

#include <QString>
#include <exception>
#include <memory>

// The one exception type of the program. An operation that fails throws it with
// the text the user is to read; an error that wraps another keeps the inner one,
// and the report shows the innermost text.
class KorvelloError : public std::exception {
public:
    explicit KorvelloError(QString text);
    KorvelloError(QString text, const KorvelloError& inner);

    const QString& text() const { return m_text; }
    // Text of the innermost cause (this error's own text when it wraps nothing).
    QString innermostText() const;
    const char* what() const noexcept override;

private:
    QString m_text;
    std::shared_ptr<KorvelloError> m_inner;
    std::string m_utf8;
};

// The text the error report shows for an error: the innermost text with a "."
// appended when its last character's code is greater than that of ".".
QString reportText(const QString& innermost);
