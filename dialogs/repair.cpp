#include "repair.h"

#include "ui_RePair.h"

namespace {
// No SigSetStyle: the constructor styles it once from group Option.
constexpr NoticeTraits kRePair = {"RePairA", {&g_langRePair, 0}, {nullptr, 0, 0}, {&g_langQuestion, 2},
                                {nullptr, 0}, "Confirm", true, false, false, false, false};
} // namespace

RePair::RePair(QWidget *parent)
    : TwoButtonNotice(kRePair, parent), ui(new Ui::RePair)
{
    ui->setupUi(this);
    bindResult(&accepted);
    build();
    applyStyle(optionRgb("LabelColor"), optionRgb("ButtonColor"), true);
}

RePair::~RePair() = default;
