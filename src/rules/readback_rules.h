// How the supply's answers become the captions of the "Actual Settings" frame, per model.
#pragma once

#include <QString>
#include <cstdint>
#include <optional>

// The queries that read a channel's voltage setting and current limit: the channel's set words
// with "?" ("VSET?", "VOL?", "VPOS?", "INEG?").
QString VoltageQuery(int channel);
QString CurrentQuery(int channel);
// The read-back of the output state: "FSOUT?" on the PS5010 (its floating outputs only), else
// "OUT?".
QString OutputStateQuery(int16_t modelCode);

// The caption for an answer, taken apart by position as the model answers: its header dropped,
// ";" read as a blank, the number laid out in the model's columns. An empty or short answer
// (a failed query) shows as zero. Empty for no model.
QString VoltageCaption(int16_t modelCode, const QString& answer);
QString CurrentCaption(int16_t modelCode, const QString& answer);
// "ON" or "OFF" from the HP 6032A's number; the PS models' own word, as it came.
QString OutputStateText(int16_t modelCode, const QString& answer);

// Only the exact, upper-case "ON" counts as on.
bool IsOutputOnText(const QString& stateText);
// The output button offers the opposite of the state.
QString ToggleOutputCaption(bool outputOn);

// Where a unit label stands (twips) beside a value caption of this many characters, so that
// it follows the caption's last digit; nothing for a length that keeps it where it is.
std::optional<int> UnitLabelLeft(qsizetype captionLength);
