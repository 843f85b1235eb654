#ifndef SYNCEDTOOLBUTTON_H
#define SYNCEDTOOLBUTTON_H

#include <QToolButton>

// A header button of the frame. The navigation buttons come in pairs (the
// icon "toolButton..." and the caption "ButtonMain_..."); hovering either
// one reports the pair's index through PostMsg SigChangeStyle so the frame
// can light both. Other names (the pairing button) report nothing.
class SyncedToolButton : public QToolButton
{
    Q_OBJECT
    Q_PROPERTY(bool isHovered MEMBER isHovered WRITE setIsHovered NOTIFY isHoveredChanged)
public:
    explicit SyncedToolButton(QWidget *parent = nullptr);

    // The navigation pair of a header button name, or -1 when it has none.
    static int pairIndexForName(const QString &name);

public slots:
    void setIsHovered(bool isHovered);

signals:
    void isHoveredChanged(bool isHovered);

protected:
    void enterEvent(QEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    bool isHovered = false;
};

#endif // SYNCEDTOOLBUTTON_H
