// How the supply's answers become the captions of the "Actual Settings" frame, per model.
#pragma once

#include <QString>
#include <optional>

#include "rules/supplies.h"

// The queries that read a channel's voltage setting and current limit: the channel's set words
// with "?" ("VSET?", "VOL?", "VPOS?", "INEG?").
QString VoltageQuery(const SupplyModel& model, Channel channel);
QString CurrentQuery(const SupplyModel& model, Channel channel);
// The read-back of the output state ("FSOUT?" on the PS5010, its floating outputs only).
QString OutputStateQuery(const SupplyModel& model);

// The caption for an answer, taken apart by position as the model answers: its header dropped,
// ";" read as a blank where the model ends its answers so, the number laid out in the model's
// columns. An empty or short answer (a failed query) shows as zero.
QString VoltageCaption(const SupplyModel& model, const QString& answer);
QString CurrentCaption(const SupplyModel& model, const QString& answer);
// "ON" or "OFF" from a model that answers a number; the others' own word, as it came.
QString OutputStateText(const SupplyModel& model, const QString& answer);

// Only the exact, upper-case "ON" counts as on.
bool IsOutputOnText(const QString& stateText);
// The output button offers the opposite of the state.
QString ToggleOutputCaption(bool outputOn);

// Where a unit label stands (twips) beside a value caption of this many characters, so that
// it follows the caption's last digit; nothing for a length that keeps it where it is.
std::optional<int> UnitLabelLeft(qsizetype captionLength);
