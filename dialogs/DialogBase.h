// Common ground of the modal dialogs: the dialog font ("MS Sans Serif" 8,
// substituted by fontconfig), the light-grey background, placement of
// controls from dialog units, and finding controls by their numeric id.
#pragma once

#include <QDialog>
#include <QFont>
#include <QRect>
#include <QString>

class QAbstractButton;
class QPushButton;

// Dialog base units of a font: baseX is the average character width (over
// the 52 letters, rounded), baseY the character height. One horizontal
// dialog unit is baseX / 4 pixels, one vertical unit baseY / 8 pixels.
struct DialogUnits {
    int baseX = 6;
    int baseY = 13;

    static DialogUnits of(const QFont& font);
    int x(int du) const { return du * baseX / 4; }
    int y(int du) const { return du * baseY / 8; }
    QRect rect(int x, int y, int w, int h) const {
        return QRect(this->x(x), this->y(y), this->x(w), this->y(h));
    }
};

// Stock command ids of dialog buttons.
constexpr int kIdOk = 1;
constexpr int kIdCancel = 2;
constexpr int kIdHelp = 9;

QFont dialogFont();

// The control with that id inside `dialog`, or null.
QWidget* findControl(const QWidget* dialog, int id);
template <typename T>
T* findControlAs(const QWidget* dialog, int id) {
    return qobject_cast<T*>(findControl(dialog, id));
}

class DialogBase : public QDialog {
    Q_OBJECT
public:
    // A dialog of w x h dialog units with the given title.
    DialogBase(QWidget* parent, const QString& title, int w, int h, int helpTopic);

    const DialogUnits& units() const { return units_; }
    int helpTopic() const { return helpTopic_; }

protected:
    // Places `control` at the dialog-unit rectangle and tags it with `id`
    // (0 for controls without one).
    void place(QWidget* control, int id, int x, int y, int w, int h);
    // OK, Cancel and Help push buttons: OK runs onOk(), Cancel rejects, Help
    // opens the help topic and leaves the dialog open.
    QPushButton* addStockButton(int id, int x, int y, int w, int h);
    virtual void onOk() { accept(); }

private:
    DialogUnits units_;
    int helpTopic_;
};
