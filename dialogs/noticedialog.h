#ifndef NOTICEDIALOG_H
#define NOTICEDIALOG_H

// The common body of every notice and question of the program: a 448 x 154
// frameless panel with a message, a close button and one or two picture
// buttons. The classes differ only in data (which text tables they read,
// which frame carries the background, which hub signals they follow), so the
// behaviour lives here once and each class hands in its NoticeTraits.

#include "globals.h"

#include <QDialog>
#include <QString>

class QCheckBox;
class QFrame;
class QLabel;
class QToolButton;

// One text of a language page table.
struct NoticeText {
    const LanguageTextTable *table;   // null: never set from a table
    int position;
};

// A label text picked by the value of a program global: values
// firstValue .. firstValue + count - 1 select positions 0 .. count - 1 of
// the label's table; any other value leaves the label as it was.
struct NoticeChoice {
    const int *selector;   // null: always NoticeTraits::label.position
    int firstValue;
    int count;
};

struct NoticeTraits {
    const char *frameName;       // object name of the frame with the background
    NoticeText label;            // message text
    NoticeChoice labelChoice;
    NoticeText okText;           // caption of NewHong / OK
    NoticeText checkText;        // caption of the check box NoApear, if any
    const char *okPicture;       // base name of the action-button picture
    bool followLanguage;         // connect SigAllLanguage and set the texts at once
    bool followStyle;            // connect SigSetStyle
    bool styleAtStart;           // call SlotSetStyle(0) from the constructor
    bool closeWhenOnline;        // close on SigCloseOffOnline
    bool returnPressesOk;        // Return is the action button's shortcut
};

class NoticeDialog : public QDialog
{
    Q_OBJECT
public:
    ~NoticeDialog() override;

    // Window flags of the whole family: SubWindow | BypassWindowManager |
    // Frameless | SystemMenu | MinimizeButton.
    static constexpr int kWindowFlags = 0x6C12;
    static constexpr int kWidth = 448;
    static constexpr int kHeight = 154;

    QString picturePath;

    // The program folder's picture folder of the family.
    static QString pictureFolder();

    // Shows `text`, in every language, in place of the notice's usual
    // text: the same notice told for another case (a name refused for
    // another reason, say).
    void showLabelText(const NoticeText &text);

public slots:
    virtual void SlotAllLanguage(int index);
    virtual void SlotSetStyle(int index);

protected:
    explicit NoticeDialog(const NoticeTraits &traits, QWidget *parent = nullptr);

    // Called by each class's constructor right after setupUi(): finds the
    // form's widgets by name, sets the window up and makes the connections.
    void build();
    // Questions point this at their `accepted` flag.
    void bindResult(bool *flag) { m_result = flag; }
    // OK (true) or Cancel / close button (false): store the answer, close.
    void finish(bool ok);
    // The family's four style sheets with explicit colours ("r,g,b");
    // `stretchFrame` puts the background on as border-image (stretched),
    // otherwise as background-image (drawn once, centred).
    void applyStyle(const QString &labelRgb, const QString &buttonRgb, bool stretchFrame);
    // "r,g,b" of a product-wide colour of Config.ini, group Option; a short
    // or missing value gives the theme's start value for that key.
    static QString optionRgb(const char *key);

    void showEvent(QShowEvent *event) override;

    const NoticeTraits &m_traits;
    QFrame *m_frame = nullptr;
    QLabel *m_label = nullptr;
    QToolButton *m_closeButton = nullptr;
    QToolButton *m_okButton = nullptr;       // NewHong or OK
    QToolButton *m_cancelButton = nullptr;   // Cancel or NewHong_2
    QCheckBox *m_checkBox = nullptr;

private:
    void grabReturnKey();

    bool *m_result = nullptr;
    NoticeText m_labelText = {nullptr, 0};   // set by showLabelText
};

// Notices with the single action button NewHong.
class OneButtonNotice : public NoticeDialog
{
    Q_OBJECT
protected:
    using NoticeDialog::NoticeDialog;
public slots:
    void on_CloseButton_clicked() { finish(false); }
    void on_NewHong_clicked() { finish(true); }
};

// Questions with the two action buttons OK and Cancel.
class TwoButtonNotice : public NoticeDialog
{
    Q_OBJECT
protected:
    using NoticeDialog::NoticeDialog;
public slots:
    void on_CloseButton_clicked() { finish(false); }
    void on_OK_clicked() { finish(true); }
    void on_Cancel_clicked() { finish(false); }
};

#endif // NOTICEDIALOG_H
