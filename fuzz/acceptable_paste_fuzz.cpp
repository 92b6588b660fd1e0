// AcceptablePaste: only digits and at most one point get in, every digit pasted is kept in order,
// and a comma or point becomes the field's one point where there is none yet.
#include <fuzzer/FuzzedDataProvider.h>

#include <QString>

#include "panel/entry_field.h"
#include "property.h"

namespace {

bool IsAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

QString AsciiDigits(const QString& text) {
    QString digits;
    for (const QChar c : text) {
        if (IsAsciiDigit(c)) digits += c;
    }
    return digits;
}

void CheckPaste(const QString& pasted, const QString& current) {
    const QString accepted = AcceptablePaste(pasted, current);
    const std::string what = "AcceptablePaste(\"" + pasted.toStdString() + "\", \"" +
                             current.toStdString() + "\") = \"" + accepted.toStdString() + "\"";
    for (const QChar c : accepted) {
        Require(IsAsciiDigit(c) || c == u'.', what + ": a character that is no digit or point");
    }
    Require(AsciiDigits(accepted) == AsciiDigits(pasted), what + ": digits lost or added");

    const qsizetype firstPoint = [&] {
        const qsizetype point = pasted.indexOf(u'.'), comma = pasted.indexOf(u',');
        if (point < 0) return comma;
        return comma < 0 ? point : std::min(point, comma);
    }();
    const bool pointWanted = firstPoint >= 0 && !current.contains(u'.');
    Require(accepted.count(u'.') == (pointWanted ? 1 : 0), what + ": not one point at most");
    if (pointWanted) {
        Require(accepted.indexOf(u'.') == AsciiDigits(pasted.left(firstPoint)).size(),
                what + ": the point is not where the first one was pasted");
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string current = input.ConsumeRandomLengthString(16);
    const std::string pasted = input.ConsumeRemainingBytesAsString();
    // Bytes as Latin-1 and as UTF-8, so that digits of other scripts come by too.
    CheckPaste(QString::fromLatin1(pasted.data(), qsizetype(pasted.size())),
               QString::fromLatin1(current.data(), qsizetype(current.size())));
    CheckPaste(QString::fromUtf8(pasted.data(), qsizetype(pasted.size())),
               QString::fromUtf8(current.data(), qsizetype(current.size())));
    return 0;
}
