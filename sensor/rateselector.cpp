#include "rateselector.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "optionrow.h"
#include "postmsg.h"
#include "sensorcodes.h"

namespace {
constexpr int kFirstHighRate = 4;   // 2000 Hz
}

RateSelector::RateSelector(QWidget *parent) : QFrame(parent) {}

RateSelector::~RateSelector() = default;

void RateSelector::chooseRate(int index, bool checked)
{
    if (!checked)
        return;
    const bool written =
        m_row->choose(index, pageMayWrite(), [index] { return setReportRate(u8(kReportRateCodes[index])); });
    if (written)
        PostMsg::instance()->postHideModel(index >= kFirstHighRate ? 1 : 0);
}

void RateSelector::on_Button125HZ_clicked(bool checked)
{
    chooseRate(0, checked);
}

void RateSelector::on_Button250HZ_clicked(bool checked)
{
    chooseRate(1, checked);
}

void RateSelector::on_Button500HZ_clicked(bool checked)
{
    chooseRate(2, checked);
}

void RateSelector::on_Button1000HZ_clicked(bool checked)
{
    chooseRate(3, checked);
}

void RateSelector::on_Button2000HZ_clicked(bool checked)
{
    chooseRate(4, checked);
}

void RateSelector::on_Button4000HZ_clicked(bool checked)
{
    chooseRate(5, checked);
}

void RateSelector::on_Button8000HZ_clicked(bool checked)
{
    chooseRate(6, checked);
}
