// How the supply's answers become the captions of the "Actual Settings" frame, per model.
#include "rules/readback_rules.h"

#include "rules/number_text.h"

namespace {

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

QString LevelCaption(const LevelAnswer& layout, const QString& answer) {
    const double value =
        TextToNumber(AnswerPart(answer, layout.firstCharacter, layout.semicolonsAreBlanks));
    const float IntFrac = value >= layout.wideFrom ? layout.wideIntFrac : layout.IntFrac;
    return TrimBlanks(NrToStr(static_cast<float>(value), IntFrac));
}

QString QueryOf(const char* setWord) {
    return QString::fromLatin1(setWord).trimmed() + u'?';
}

}  // namespace

QString VoltageQuery(const SupplyModel& model, Channel channel) {
    return QueryOf(model.Facts(channel).CommandWords.voltage);
}

QString CurrentQuery(const SupplyModel& model, Channel channel) {
    return QueryOf(model.Facts(channel).CommandWords.current);
}

QString OutputStateQuery(const SupplyModel& model) {
    return QString::fromLatin1(model.outputAnswer.query);
}

QString VoltageCaption(const SupplyModel& model, const QString& answer) {
    return LevelCaption(model.voltageAnswer, answer);
}

QString CurrentCaption(const SupplyModel& model, const QString& answer) {
    return LevelCaption(model.currentAnswer, answer);
}

QString OutputStateText(const SupplyModel& model, const QString& answer) {
    const OutputStateAnswer& layout = model.outputAnswer;
    const QString part = AnswerPart(answer, layout.firstCharacter, layout.semicolonsAreBlanks);
    if (!layout.numbered) return part;
    return TextToNumber(part) > 0 ? QStringLiteral("ON") : QStringLiteral("OFF");
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
