// How the supply's answers become the captions of the "Actual Settings" frame, per model.
#include "rules/readback_rules.h"

#include <limits>

#include "rules/number_text.h"
#include "rules/supplies.h"

namespace {

constexpr double kNever = std::numeric_limits<double>::infinity();

// How one model answers a level query and how the value is laid out. The answer's header is
// not checked: only the position counts.
struct LevelLayout {
    int firstCharacter;  // the value starts here, counting from 1
    bool semicolonsAreBlanks;
    float IntFrac;
    double wideFrom;  // from here on (judged before narrowing), one fraction digit fewer
    float wideIntFrac;
};

// By model code 1 to 3. HP 6032A "VSET 12.500", PS5004 "VOLTAGE 5.500;", PS5010 "VPOS 12.50;".
constexpr LevelLayout kVoltageLayouts[] = {
    {5, false, 2.2f, 19.99, 2.1f},
    {8, true, 2.3f, kNever, 2.3f},
    {5, true, 103.0f, kNever, 103.0f},
};
constexpr LevelLayout kCurrentLayouts[] = {
    {5, false, 2.2f, 20.0, 2.1f},
    {8, true, 1.4f, kNever, 1.4f},
    {5, true, 2.2f, kNever, 2.2f},
};

bool IsKnownModel(int16_t modelCode) {
    return modelCode == kHp6032A || modelCode == kPs5004 || modelCode == kPs5010;
}

// Only blanks, as the supplies pad their answers; a tab or a line end is part of the text.
QString TrimBlanks(const QString& text) {
    qsizetype first = 0;
    qsizetype end = text.size();
    while (first < end && text[first] == u' ') ++first;
    while (end > first && text[end - 1] == u' ') --end;
    return text.mid(first, end - first);
}

// The answer from its n-th character on, ";" read as a blank when asked, without blanks
// around it. An answer shorter than its header leaves nothing.
QString AnswerPart(const QString& answer, int firstCharacter, bool semicolonsAreBlanks) {
    QString part = answer.mid(firstCharacter - 1);
    if (semicolonsAreBlanks) part.replace(u';', u' ');
    return TrimBlanks(part);
}

QString LevelCaption(const LevelLayout& layout, const QString& answer) {
    const double value =
        TextToNumber(AnswerPart(answer, layout.firstCharacter, layout.semicolonsAreBlanks));
    const float IntFrac = value >= layout.wideFrom ? layout.wideIntFrac : layout.IntFrac;
    return TrimBlanks(NrToStr(static_cast<float>(value), IntFrac));
}

QString QueryOf(const char* setWord) {
    return QString::fromLatin1(setWord).trimmed() + u'?';
}

}  // namespace

QString VoltageQuery(int channel) {
    return QueryOf(CommandWords.at(channel).voltage);
}

QString CurrentQuery(int channel) {
    return QueryOf(CommandWords.at(channel).current);
}

QString OutputStateQuery(int16_t modelCode) {
    return modelCode == kPs5010 ? QStringLiteral("FSOUT?") : QStringLiteral("OUT?");
}

QString VoltageCaption(int16_t modelCode, const QString& answer) {
    if (!IsKnownModel(modelCode)) return {};
    return LevelCaption(kVoltageLayouts[modelCode - 1], answer);
}

QString CurrentCaption(int16_t modelCode, const QString& answer) {
    if (!IsKnownModel(modelCode)) return {};
    return LevelCaption(kCurrentLayouts[modelCode - 1], answer);
}

QString OutputStateText(int16_t modelCode, const QString& answer) {
    switch (modelCode) {
        case kHp6032A:  // "OUT 1"
            return TextToNumber(AnswerPart(answer, 4, false)) > 0 ? QStringLiteral("ON")
                                                                  : QStringLiteral("OFF");
        case kPs5004:  // "OUT ON;"
            return AnswerPart(answer, 4, true);
        case kPs5010:  // "FSOUT ON;"
            return AnswerPart(answer, 6, true);
        default:
            return {};
    }
}

bool IsOutputOnText(const QString& stateText) {
    return stateText == QLatin1String("ON");
}

QString ToggleOutputCaption(bool outputOn) {
    return outputOn ? QStringLiteral("&Turn OFF Output") : QStringLiteral("&Turn ON Output");
}

std::optional<int> UnitLabelLeft(qsizetype captionLength) {
    switch (captionLength) {
        case 4:
            return 2370;
        case 5:
            return 2520;
        case 6:
            return 2670;
        default:
            return std::nullopt;
    }
}
