// A single-line entry field whose every input road passes the panel's typing rules.
#include "panel/entry_field.h"

#include <QAction>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>

namespace {

constexpr Qt::KeyboardModifiers kCommandModifiers =
    Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier;

// Enter and Backspace as the handler sees them; 0 for every other key.
int ControlKeyCode(const QKeyEvent& event) {
    if (event.modifiers() & kCommandModifiers) return 0;
    switch (event.key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            return KeyAscii::Enter;
        case Qt::Key_Backspace:
            return KeyAscii::Backspace;
        default:
            return 0;
    }
}

bool TypesText(const QKeyEvent& event) {
    const QString text = event.text();
    return !text.isEmpty() && text.front().isPrint() && !(event.modifiers() & kCommandModifiers);
}

}  // namespace

QString AcceptablePaste(const QString& pasted, const QString& current) {
    bool hasPoint = current.contains(QLatin1Char('.'));
    QString accepted;
    for (QChar c : pasted) {
        if (c == QLatin1Char(',')) c = QLatin1Char('.');
        if (c == QLatin1Char('.') && !hasPoint) {
            hasPoint = true;
            accepted += c;
        } else if (c >= QLatin1Char('0') && c <= QLatin1Char('9')) {
            accepted += c;
        }
    }
    return accepted;
}

EntryField::EntryField(QWidget* parent) : QLineEdit(parent) {}

void EntryField::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Paste)) {
        PasteFrom(QClipboard::Clipboard);
    } else if (const int code = ControlKeyCode(*event)) {
        Type(code);
    } else if (TypesText(*event)) {
        for (const char32_t c : event->text().toUcs4()) Type(static_cast<int>(c));
    } else {
        PassOnWithoutText(event);
        return;
    }
    event->accept();
}

// Qt's own handling sees the key but not its text: editing keys and shortcuts work, and a text it
// would otherwise insert (Ctrl or Alt with a digit, say) never gets past the typing rules.
void EntryField::PassOnWithoutText(QKeyEvent* event) {
    QKeyEvent keyOnly(event->type(), event->key(), event->modifiers(), event->nativeScanCode(),
                      event->nativeVirtualKey(), event->nativeModifiers(), QString(),
                      event->isAutoRepeat(), event->count(), event->device());
    QLineEdit::keyPressEvent(&keyOnly);
    event->setAccepted(keyOnly.isAccepted());
}

void EntryField::Type(int keyAscii) {
    if (keyPress_) keyPress_(this, keyAscii);
    if (keyAscii == 0) return;
    if (keyAscii == KeyAscii::Backspace) {
        backspace();
    } else {
        const char32_t c = static_cast<char32_t>(keyAscii);
        insert(QString::fromUcs4(&c, 1));
    }
}

void EntryField::mouseDoubleClickEvent(QMouseEvent* event) {
    QLineEdit::mouseDoubleClickEvent(event);
    emit doubleClicked(this);
}

// The X11 selection paste of the middle button.
void EntryField::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::MiddleButton && !isReadOnly() &&
        QGuiApplication::clipboard()->supportsSelection()) {
        deselect();
        setCursorPosition(cursorPositionAt(event->position().toPoint()));
        PasteFrom(QClipboard::Selection);
        event->accept();
        return;
    }
    QLineEdit::mouseReleaseEvent(event);
}

// The standard menu, with its Paste entry taking our road. That entry is the one wired to
// QLineEdit::paste (its caption is translated); Qt 6.4 wires it by name, later versions may not.
void EntryField::contextMenuEvent(QContextMenuEvent* event) {
    QMenu* menu = createStandardContextMenu();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    for (QAction* action : menu->actions()) {
        const bool wasPaste = disconnect(action, SIGNAL(triggered()), this, SLOT(paste())) ||
                              disconnect(action, &QAction::triggered, this, &QLineEdit::paste);
        if (wasPaste)
            connect(action, &QAction::triggered, this,
                    [this] { PasteFrom(QClipboard::Clipboard); });
    }
    menu->popup(event->globalPos());
}

void EntryField::dropEvent(QDropEvent* event) {
    QMimeData accepted;
    accepted.setText(AcceptablePaste(event->mimeData()->text(), text()));
    QDropEvent filtered(event->position(), event->possibleActions(), &accepted, event->buttons(),
                        event->modifiers(), event->type());
    QLineEdit::dropEvent(&filtered);
    event->setDropAction(filtered.dropAction());
    event->setAccepted(filtered.isAccepted());
}

void EntryField::inputMethodEvent(QInputMethodEvent* event) {
    if (event->commitString().isEmpty()) {
        QLineEdit::inputMethodEvent(event);
        return;
    }
    QInputMethodEvent filtered(event->preeditString(), event->attributes());
    filtered.setCommitString(AcceptablePaste(event->commitString(), text()),
                             event->replacementStart(), event->replacementLength());
    QLineEdit::inputMethodEvent(&filtered);
}

void EntryField::PasteFrom(QClipboard::Mode mode) {
    InsertPasted(QGuiApplication::clipboard()->text(mode));
}

void EntryField::InsertPasted(const QString& pasted) {
    if (isReadOnly()) return;
    const QString accepted = AcceptablePaste(pasted, text());
    // Like typing, a paste that brings nothing leaves a selection alone.
    if (!accepted.isEmpty()) insert(accepted);
}
