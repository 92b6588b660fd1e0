// A single-line entry field whose every input road passes the panel's typing rules.
#pragma once

#include <QClipboard>
#include <QLineEdit>
#include <functional>

// Key codes as the key-press handler sees them.
namespace KeyAscii {
constexpr int Backspace = 8;
constexpr int Enter = 13;
constexpr int Space = 32;
}  // namespace KeyAscii

// What may reach a field from pasted text: its digits, a comma read as a point, and one point
// only while `current` holds none. Everything else, Enter and Space included, is dropped.
QString AcceptablePaste(const QString& pasted, const QString& current);

// Typed characters become key codes that the handler may change, or set to 0 to discard; a
// surviving code is inserted (Backspace deletes). Navigation, Delete, copy, cut, select-all and
// undo work as usual. Pasted, dropped and composed text goes through AcceptablePaste instead,
// so pasting can never run the handler's Enter or Space actions.
class EntryField : public QLineEdit {
    Q_OBJECT

public:
    using KeyPressHandler = std::function<void(EntryField* field, int& keyAscii)>;

    explicit EntryField(QWidget* parent = nullptr);

    void setKeyPressHandler(KeyPressHandler handler) { keyPress_ = std::move(handler); }

signals:
    void doubleClicked(EntryField* field);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;

private:
    void PassOnWithoutText(QKeyEvent* event);
    void Type(int keyAscii);
    void PasteFrom(QClipboard::Mode mode);
    void InsertPasted(const QString& pasted);

    KeyPressHandler keyPress_;
};
