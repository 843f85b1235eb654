// The members of the notice family. Everything that tells one notice from
// another is in this table; the behaviour is NoticeDialog's.

#include "devicestate.h"
#include "mouseoffline.h"
#include "leftbuttononly.h"
#include "samemacro.h"
#include "groupmaxthree.h"
#include "keynumberlimit.h"
#include "inportfail.h"
#include "updatewarning.h"
#include "lessthree.h"
#include "containreset.h"
#include "deleteconfirm.h"
#include "questiondialogb.h"
#include "makemacro.h"
#include "findnewver.h"
#include "lesstensecond.h"
#include "ui_MouseOffLine.h"
#include "ui_LeftButtonOnly.h"
#include "ui_SameMacro.h"
#include "ui_GroupMaxThree.h"
#include "ui_KeyNumberLimit.h"
#include "ui_InportFail.h"
#include "ui_UpDateWarning.h"
#include "ui_LessThree.h"
#include "ui_ContainReset.h"
#include "ui_DeleteConfirm.h"
#include "ui_QuestiondialogB.h"
#include "ui_MakeMacro.h"
#include "ui_FindNewVer.h"
#include "ui_LessTenSecond.h"

namespace {
constexpr NoticeText kNone = {nullptr, 0};
constexpr NoticeText kOk = {&g_langQuestion, 2};   // "NewHong" of page Question
constexpr NoticeChoice kAlways = {nullptr, 0, 0};

// frame, label text, label choice, OK caption, check box caption, OK picture,
// follow SigAllLanguage, follow SigSetStyle, styled at start,
// close on SigCloseOffOnline, Return presses OK
constexpr NoticeTraits kMouseOffLine = {"MouseOffLineA", {&g_langMouseOffLine, 0}, {&g_offlineNoticeReason, 0, 2}, kOk, kNone, "ConFirm",
    true, false, true, true, false};
constexpr NoticeTraits kLeftButtonOnly = {"ButtonOnly", {&g_langButtonOnly, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kSameMacro = {"SameMacroA", {&g_langSameMacro, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kGroupMaxThree = {"MaxThree", {&g_langMaxThree, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kKeyNumberLimit = {"LimitA", {&g_langLimit, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kInportFail = {"InportFailA", {&g_langInportFail, 0}, {&g_importResult, 1, 2}, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kUpDateWarning = {"WarningFrame", {nullptr, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, true};
constexpr NoticeTraits kLessThree = {"LessThreeframe", {&g_langLessThree, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kContainReset = {"ContainResetA", {&g_langContainReset, 0}, kAlways, {&g_langDialogChange, 4}, kNone, "Confirm",
    true, true, true, false, true};
constexpr NoticeTraits kDeleteConfirm = {"DeleteConfirmA", {&g_langDeleteConfirm, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kQuestiondialogB = {"QuestionB", {&g_langQuestionB, 0}, kAlways, kNone, kNone, "Confirm",
    true, false, false, false, false};
constexpr NoticeTraits kMakeMacro = {"MakeMacroA", {&g_langMakeMacro, 0}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kFindNewVer = {"SameMacroA", {&g_langNewVer, 0}, kAlways, kOk, {&g_langNewVer, 1}, "Confirm",
    true, true, true, false, false};
constexpr NoticeTraits kLessTenSecond = {"LessTenSecondA", {&g_langButtonOnly, 1}, kAlways, kOk, kNone, "Confirm",
    true, true, true, false, false};
} // namespace

MouseOffLine::MouseOffLine(QWidget *parent)
    : OneButtonNotice(kMouseOffLine, parent), ui(new Ui::MouseOffLine)
{
    ui->setupUi(this);
    build();
}

MouseOffLine::~MouseOffLine() = default;

LeftButtonOnly::LeftButtonOnly(QWidget *parent)
    : OneButtonNotice(kLeftButtonOnly, parent), ui(new Ui::LeftButtonOnly)
{
    ui->setupUi(this);
    build();
}

LeftButtonOnly::~LeftButtonOnly() = default;

SameMacro::SameMacro(QWidget *parent)
    : OneButtonNotice(kSameMacro, parent), ui(new Ui::SameMacro)
{
    ui->setupUi(this);
    build();
}

SameMacro::~SameMacro() = default;

GroupMaxThree::GroupMaxThree(QWidget *parent)
    : OneButtonNotice(kGroupMaxThree, parent), ui(new Ui::GroupMaxThree)
{
    ui->setupUi(this);
    build();
}

GroupMaxThree::~GroupMaxThree() = default;

KeyNumberLimit::KeyNumberLimit(QWidget *parent)
    : OneButtonNotice(kKeyNumberLimit, parent), ui(new Ui::KeyNumberLimit)
{
    ui->setupUi(this);
    build();
}

KeyNumberLimit::~KeyNumberLimit() = default;

InportFail::InportFail(QWidget *parent)
    : OneButtonNotice(kInportFail, parent), ui(new Ui::InportFail)
{
    ui->setupUi(this);
    build();
}

InportFail::~InportFail() = default;

UpDateWarning::UpDateWarning(QWidget *parent)
    : OneButtonNotice(kUpDateWarning, parent), ui(new Ui::UpDateWarning)
{
    ui->setupUi(this);
    build();
}

UpDateWarning::~UpDateWarning() = default;

void UpDateWarning::setText(QString text)
{
    ui->label->setText(text);
}

LessThree::LessThree(QWidget *parent)
    : OneButtonNotice(kLessThree, parent), ui(new Ui::LessThree)
{
    ui->setupUi(this);
    build();
}

LessThree::~LessThree() = default;

void LessThree::setText(QString text)
{
    ui->label->setText(text);
}

ContainReset::ContainReset(QWidget *parent)
    : TwoButtonNotice(kContainReset, parent), ui(new Ui::ContainReset)
{
    ui->setupUi(this);
    bindResult(&accepted);
    build();
}

ContainReset::~ContainReset() = default;

void ContainReset::setText(QString text)
{
    ui->label->setText(text);
}

DeleteConfirm::DeleteConfirm(QWidget *parent)
    : OneButtonNotice(kDeleteConfirm, parent), ui(new Ui::DeleteConfirm)
{
    ui->setupUi(this);
    bindResult(&accepted);
    build();
}

DeleteConfirm::~DeleteConfirm() = default;

QuestiondialogB::QuestiondialogB(QWidget *parent)
    : NoticeDialog(kQuestiondialogB, parent), ui(new Ui::QuestiondialogB)
{
    ui->setupUi(this);
    build();
}

QuestiondialogB::~QuestiondialogB() = default;

MakeMacro::MakeMacro(QWidget *parent)
    : OneButtonNotice(kMakeMacro, parent), ui(new Ui::MakeMacro)
{
    ui->setupUi(this);
    build();
}

MakeMacro::~MakeMacro() = default;

FindNewVer::FindNewVer(QWidget *parent)
    : OneButtonNotice(kFindNewVer, parent), ui(new Ui::FindNewVer)
{
    ui->setupUi(this);
    build();
}

FindNewVer::~FindNewVer() = default;

LessTenSecond::LessTenSecond(QWidget *parent)
    : OneButtonNotice(kLessTenSecond, parent), ui(new Ui::LessTenSecond)
{
    ui->setupUi(this);
    build();
}

LessTenSecond::~LessTenSecond() = default;
