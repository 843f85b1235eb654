// The page's own controls that give no button a function: the on-board
// profile, the debounce stepper, motion sync, the performance option with
// its 20K switch beside it, and the small button that hands a click to the
// settings page.
//
// A control shows what the device holds: when a write does not reach the
// device (offline, or writing not enabled yet) the control goes back to
// the state it had, and no notice claims the change was made.
#include "buttoninterface.h"
#include "ui_Buttoninterface.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "lessthree.h"
#include "postmsg.h"

namespace {

// Debounce times below this may double clicks: the user is warned.
constexpr int kDebounceWarnBelow = 8;

// Texts of the "Light" language page.
constexpr int kOption0COnNotice = 1;
constexpr int kOption04OnNotice = 29;

} // namespace

// ---- Profile --------------------------------------------------------------------

void Buttoninterface::on_ProjectChoose_activated(int index)
{
    // The device reports its new profile itself; the page only goes back
    // when the device cannot take the choice.
    if (!setCurrentProfile(u8(index))) {
        ui->ProjectChoose->setCurrentIndex(m_profileIndex);
        return;
    }
    m_profileIndex = index;
}

void Buttoninterface::on_ProjectChoose_currentIndexChanged(int index)
{
    // The index also changes when a refresh fills the box; only the user's
    // choice (activated) reaches the device.
    Q_UNUSED(index);
}

// ---- Debounce time --------------------------------------------------------------

void Buttoninterface::on_AddLevelCC_clicked()
{
    stepDebounceTime(1);
}

void Buttoninterface::on_ReduceLevelCC_clicked()
{
    stepDebounceTime(-1);
}

void Buttoninterface::stepDebounceTime(int step)
{
    if (!pageMayWrite())
        return;
    QSpinBox *box = ui->spinBoxButton;
    const int before = box->value();
    box->setValue(before + step);
    // A step past a bound sends the bound again.
    const int ms = box->value();
    if (!setDebounceTime(u8(ms))) {
        box->setValue(before);
        return;
    }
    if (ms < kDebounceWarnBelow && !g_buttonPageRefreshing)
        showLessThree(QString());
}

void Buttoninterface::on_spinBoxButton_valueChanged(int value)
{
    ui->ReduceLevelCC->setForbidden(value <= ui->spinBoxButton->minimum());
    ui->AddLevelCC->setForbidden(value >= ui->spinBoxButton->maximum());
}

// ---- Switches ---------------------------------------------------------------------

void Buttoninterface::on_Reset_3_clicked(bool checked)
{
    if (!pageMayWrite() || !setMotionSync(checked ? 1 : 0))
        ui->Reset_3->setChecked(!checked);
}

void Buttoninterface::on_Reset_4_clicked(bool checked)
{
    if (!pageMayWrite() || !setOption0C(checked ? 1 : 0)) {
        ui->Reset_4->setChecked(!checked);
        return;
    }
    // Switching off also switched the 20K option off on the device.
    if (!checked)
        ui->toolButton->setChecked(false);
    showOption0C(checked);
    if (checked)
        showLessThree(langText(g_langLight, g_language, kOption0COnNotice));
}

void Buttoninterface::on_toolButton_clicked(bool checked)
{
    if (!setOption04(checked ? 1 : 0)) {
        ui->toolButton->setChecked(!checked);
        return;
    }
    if (checked)
        showLessThree(langText(g_langLight, g_language, kOption04OnNotice));
}

void Buttoninterface::showLessThree(const QString &text)
{
    LessThree notice(nullptr);
    if (!text.isEmpty())
        notice.setText(text);
    placeNotice(&notice, 0, -30);
    notice.exec();
}

// ---- Forwarded click ------------------------------------------------------------

void Buttoninterface::on_pushButton_clicked()
{
    PostMsg::instance()->postButtonclick();
    // Only for its offline notice.
    isDeviceOnline();
}
