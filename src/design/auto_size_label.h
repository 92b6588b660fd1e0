// A caption that keeps itself exactly as large as its text.
#pragma once

#include <QLabel>

// The label resizes itself when its text or font changes, holding one edge where it stands:
// captions left of a value hold their right edge, so a wider fallback font grows them away from
// the value; unit and state labels hold their left edge, which the program moves.
class AutoSizeLabel : public QLabel {
public:
    enum class Anchor { Left, Right };

    AutoSizeLabel(const QString& text, Anchor anchor, QWidget* parent);

    void FitToText();

protected:
    bool event(QEvent* event) override;
    // A new text asks the parent for a new layout; that request is the cue to refit.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Anchor anchor_;
};
