// libFuzzer target: the decodings of stored text. Every value of a row may have
// been edited by another program, so each decoding either gives an answer or
// throws KorvelloError; stored names keep their bytes, and artwork paths are
// only ever built for names whose files stay inside Images.
#include "core/korvelloerror.h"
#include "gamelist/artworkfiles.h"
#include "store/encodings.h"
#include "store/gameprofile.h"
#include "store/storedname.h"

#include <QDir>
#include <QFileInfo>

#include <cstddef>
#include <cstdint>
#include <fuzzer/FuzzedDataProvider.h>

namespace {

template <typename F> void mayThrow(F&& f) {
    try {
        f();
    } catch (const KorvelloError&) {
    }
}

void checkName(const QByteArray& bytes) {
    const QString name = storedname::decode(bytes);
    if (storedname::encode(name) != bytes)
        __builtin_trap(); // a stored name lost or changed bytes
    if (!storedname::hasForeignBytes(name) && name.toUtf8() != bytes)
        __builtin_trap();
    const QString app = QStringLiteral("/opt/emu/");
    for (const auto kind : {artworkfiles::Kind::Poster, artworkfiles::Kind::Thumbnail}) {
        const QString path = artworkfiles::path(app, kind, name);
        if (path.isEmpty())
            continue;
        const QFileInfo file(QDir::cleanPath(path));
        if (file.absolutePath() != QStringLiteral("/opt/emu/Images") || artworkfiles::isFallbackName(name))
            __builtin_trap(); // an artwork path outside Images, or onto the fallback pictures
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string nameBytes = in.ConsumeRandomLengthString(64);
    checkName(QByteArray(nameBytes.data(), static_cast<qsizetype>(nameBytes.size())));

    GameProfile row;
    for (int column = 0; column < kColumnCount && in.remaining_bytes() > 0; ++column) {
        const std::string v = in.ConsumeRandomLengthString(24);
        row.setValue(column, QString::fromUtf8(v.data(), static_cast<qsizetype>(v.size())));
    }
    const auto v = [&](int column) { return row.value(column); };
    for (int column = 0; column < kColumnCount; ++column) {
        mayThrow([&] { row.intValue(column); });
        enc::IsTrueText(v(column));
        enc::IsEnabledText(v(column));
        enc::trimmed(v(column));
        enc::singleBackslashes(v(column));
        enc::IsValidProfileName(v(column));
    }
    enc::skipFromFlags(v(col::PCSX2SkipOnLimit), v(col::PCSX2SkipOnTurbo));
    enc::clampFromFlags(v(col::PCSX2fpuOverflow), v(col::PCSX2fpuExtraOverflow), v(col::PCSX2fpuFullMode));
    enc::vuFromFlags(v(col::PCSX2EnableVU0), v(col::PCSX2UseMicroVU0));
    enc::coreFromFlag(v(col::PCSX2EnableEE));
    enc::wordPosition(enc::aspectRatioWords(), v(col::PCSX2AspectRatio));
    enc::wordPosition(enc::cdvdSourceWords(), v(col::PCSX2CdvdSource));
    enc::wordPosition(enc::outputModuleWords(), v(col::SPU2Output_Module));
    mayThrow([&] { enc::scalingFromUpscale(row.intValue(col::GSDXupscale_multiplier)); });
    mayThrow([&] { enc::splitWindowSize(v(col::PCSX2WindowSize)); });
    for (const int column : {col::PCSX2NominalScalar, col::PCSX2SlomoScalar, col::PCSX2TurboScalar}) {
        mayThrow([&] {
            // Shown in percent and stored again: the round trip must not fail once it read.
            const QString percent = enc::percentTextFromScalar(v(column));
            enc::scalarFromPercentText(percent);
        });
    }
    return 0;
}
