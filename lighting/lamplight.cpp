#include "lamplight.h"
#include "ui_LampLight.h"

#include "devicesetters.h"
#include "devicestate.h"
#include "globals.h"
#include "lightingstyles.h"
#include "postmsg.h"

#include <QButtonGroup>
#include <QMouseEvent>

using namespace LightingStyles;

namespace {
// Device values of the idle light-off choices, in units of 10 s.
const int kIdleOffValues[LampLight::kIdleOffChoices] = {1, 3, 6, 30, 60, 90, 120, 150, 180, 210, 240};
} // namespace

LampLight::LampLight(QWidget *parent)
    : QWidget(parent), ui(new Ui::LampLight)
{
    ui->setupUi(this);
    m_pictureDir = programDir() + "/Picture/Light/";
    m_buttonGroup = new QButtonGroup(this);
    m_buttonGroup->setExclusive(true);
    InitColorButtonGroup();
    ui->line->hide();
    ui->line_2->hide();
    // Laying the page out must not send the form's mode 0 (light off) to the
    // device: it is built before any device data have filled it.
    g_lightPageRefreshing = 1;
    on_LightMod_currentIndexChanged(ui->LightMod->currentIndex());
    g_lightPageRefreshing = 0;

    const QString P = m_pictureDir;
    const QString L = optionRgb("LabelColor");
    styleModeBox(ui->LightMod, P, optionRgb("ComboxTextColor"), optionRgb("ComboxBackGroundColor"),
                 optionRgb("ComboxSelectColor"));
    styleModeBox(ui->StopCloseTime, P, optionRgb("ComboxTextColor"), optionRgb("ComboxBackGroundColor"),
                 optionRgb("ComboxSelectColor"));
    // R:, G: and B: too: the page lies on a light background, where the
    // form's white captions would not show.
    for (QLabel *label : {ui->label, ui->label_2, ui->label_3, ui->label_4, ui->label_5, ui->label_6, ui->label_8,
                          ui->label_13, ui->label_10, ui->label_11, ui->label_12})
        label->setStyleSheet(labelStyle(L));
    const QString readout = "QSpinBox{color: rgb(" + L + ";);background-color: transparent;border: 0px;}";
    ui->SpeedSpinBox_2->setStyleSheet(readout);
    ui->LightSpinBox_2->setStyleSheet(readout);
    const QString sliderRgb = optionRgb("SliderColor");
    ui->horizontalLight->setStyleSheet(sliderStyle(P + "HuaKuai.png", 0, sliderRgb));
    ui->horizontalSpeed->setStyleSheet(sliderStyle(P + "HuaKuai.png", 0, sliderRgb));
    ui->RippeControl->setStyleSheet(switchStyle("RippeControl", P + "Close.png", P + "Open.png"));
    styleColourEditor(this, P);

    registerDeviceMetaTypes();
    PostMsg *hub = PostMsg::instance();
    connect(hub, &PostMsg::SigAllLanguage, this, &LampLight::SlotAllLanguage);
    SlotAllLanguage(g_language);
    // The device data come from the library's thread and the Worker, which
    // wait until the page has taken them.
    connect(hub, &PostMsg::SigUpDataLightLight, this, &LampLight::SlotUpDataLightUILight,
            Qt::BlockingQueuedConnection);
    connect(hub, &PostMsg::SigUpDataLightUIA, this, &LampLight::SlotUpDataLightUIA);
    connect(hub, &PostMsg::SigFormReset, this, &LampLight::SlotFormResetLight, Qt::BlockingQueuedConnection);
}

LampLight::~LampLight()
{
    delete ui;
}

int LampLight::idleOffValue(int index)
{
    return index >= 0 && index < kIdleOffChoices ? kIdleOffValues[index] : -1;
}

int LampLight::idleOffIndex(int tenSeconds)
{
    for (int i = 0; i < kIdleOffChoices; ++i) {
        if (kIdleOffValues[i] == tenSeconds)
            return i;
    }
    return -1;
}

void LampLight::InitColorButtonGroup()
{
    for (QToolButton *button : {ui->toolButtonColorA, ui->toolButtonColorB, ui->toolButtonColorC, ui->toolButtonColorD,
                                ui->toolButtonColorE, ui->toolButtonColorF, ui->toolButtonColorG, ui->toolButtonColorH,
                                ui->toolButtonColorI, ui->toolButtonColorJ, ui->toolButtonColorK, ui->toolButtonColorL,
                                ui->toolButtonColorM, ui->toolButtonColorN})
        m_buttonGroup->addButton(button, -1);
}

bool LampLight::settingGateOpen() const
{
    return pageMayWrite(PageRefresh::LightPage);
}

bool LampLight::colourChangeAllowed() const
{
    return !pageMayWrite() || isDeviceOnline();
}

ColourBoxes LampLight::colourBoxes() const
{
    return ColourBoxes(ui->RSpinBox, ui->GSpinBox, ui->BSpinBox, ui->labelPreView);
}

void LampLight::stepColour(QSpinBox *box, int delta)
{
    if (colourChangeAllowed())
        ColourBoxes::step(box, delta);
}

void LampLight::on_AddR_clicked()
{
    stepColour(ui->RSpinBox, 1);
}

void LampLight::on_AddG_clicked()
{
    stepColour(ui->GSpinBox, 1);
}

void LampLight::on_AddB_clicked()
{
    stepColour(ui->BSpinBox, 1);
}

void LampLight::on_ReduceR_clicked()
{
    stepColour(ui->RSpinBox, -1);
}

void LampLight::on_ReduceG_clicked()
{
    stepColour(ui->GSpinBox, -1);
}

void LampLight::on_ReduceB_clicked()
{
    stepColour(ui->BSpinBox, -1);
}

void LampLight::colourBoxChanged(int r, int g, int b)
{
    colourBoxes().showPreview();
    if (pageMayWrite())
        setLightColor(u8(r), u8(g), u8(b));
}

void LampLight::on_RSpinBox_valueChanged(int arg1)
{
    colourBoxChanged(arg1, ui->GSpinBox->value(), ui->BSpinBox->value());
}

void LampLight::on_GSpinBox_valueChanged(int arg1)
{
    colourBoxChanged(ui->RSpinBox->value(), arg1, ui->BSpinBox->value());
}

void LampLight::on_BSpinBox_valueChanged(int arg1)
{
    colourBoxChanged(ui->RSpinBox->value(), ui->GSpinBox->value(), arg1);
}

void LampLight::applyPreset(int index)
{
    if (colourChangeAllowed())
        colourBoxes().setColour(presetColor(index));
}

void LampLight::on_toolButtonColorA_clicked()
{
    applyPreset(0);
}

void LampLight::on_toolButtonColorB_clicked()
{
    applyPreset(1);
}

void LampLight::on_toolButtonColorC_clicked()
{
    applyPreset(2);
}

void LampLight::on_toolButtonColorD_clicked()
{
    applyPreset(3);
}

void LampLight::on_toolButtonColorE_clicked()
{
    applyPreset(4);
}

void LampLight::on_toolButtonColorF_clicked()
{
    applyPreset(5);
}

void LampLight::on_toolButtonColorG_clicked()
{
    applyPreset(6);
}

void LampLight::on_toolButtonColorH_clicked()
{
    applyPreset(7);
}

void LampLight::on_toolButtonColorI_clicked()
{
    applyPreset(8);
}

void LampLight::on_toolButtonColorJ_clicked()
{
    applyPreset(9);
}

void LampLight::on_toolButtonColorK_clicked()
{
    applyPreset(10);
}

void LampLight::on_toolButtonColorL_clicked()
{
    applyPreset(11);
}

void LampLight::on_toolButtonColorM_clicked()
{
    applyPreset(12);
}

void LampLight::on_toolButtonColorN_clicked()
{
    applyPreset(13);
}

void LampLight::on_horizontalLight_valueChanged(int value)
{
    ui->LightSpinBox_2->setValue(value);
    if (settingGateOpen())
        setLightBrightness(u8(value - 1));
}

void LampLight::on_horizontalSpeed_valueChanged(int value)
{
    ui->SpeedSpinBox_2->setValue(value);
    if (settingGateOpen())
        setLightSpeed(u8(value - 1));
}

void LampLight::on_LightSpinBox_2_valueChanged(int)
{
}

void LampLight::on_SpeedSpinBox_2_valueChanged(int)
{
}

void LampLight::on_LightMod_editTextChanged(QString)
{
}

void LampLight::on_LightMod_activated(int)
{
}

void LampLight::on_StopCloseTime_activated(int index)
{
    const int value = idleOffValue(index);
    if (value >= 0 && settingGateOpen())
        setLedIdleOffTime(u8(value));
}

void LampLight::on_LightMod_currentIndexChanged(int index)
{
    // -1 is no choice (a box without a current item): nothing to send.
    if (index >= 0 && settingGateOpen())
        setLightMode(index);
    applyModeLayout(this, index);
}

void LampLight::refreshFrom(const FlashDataMap &map, bool fromConfiguration)
{
    ui->horizontalLight->setEnabled(!fromConfiguration);
    ui->horizontalSpeed->setEnabled(!fromConfiguration);
    g_lightPageRefreshing = 1;
    const QList<QWidget *> silent = {ui->horizontalLight, ui->horizontalSpeed, ui->RSpinBox, ui->GSpinBox,
                                     ui->BSpinBox};
    for (QWidget *w : silent)
        w->blockSignals(true);
    ui->horizontalLight->setValue(map.lightBrightness + 1);
    ui->horizontalSpeed->setValue(map.lightSpeed + 1);
    ui->LightSpinBox_2->setValue(map.lightBrightness + 1);
    ui->SpeedSpinBox_2->setValue(map.lightSpeed + 1);
    const QColor colour(map.lightR, map.lightG, map.lightB);
    colourBoxes().setColour(colour);
    colourBoxes().showPreview(colour);
    for (QWidget *w : silent)
        w->blockSignals(false);
    ui->LightMod->setCurrentIndex(map.lightEnable != 0 ? map.lightMode : 0);
    ui->RippeControl->setChecked(map.ledOffWhileMoving != 0);
    if (fromConfiguration) {
        const int idle = idleOffIndex(map.ledIdleOffTime);
        if (idle >= 0)
            ui->StopCloseTime->setCurrentIndex(idle);
    }
    g_lightPageRefreshing = 0;
}

void LampLight::SlotUpDataLightUILight(FlashDataMap DataMap)
{
    refreshFrom(DataMap, false);
}

void LampLight::SlotUpDataLightUIA(FlashDataMap DataMap)
{
    refreshFrom(DataMap, true);
}

void LampLight::SlotFormResetLight()
{
    g_lightPageRefreshing = 1;
    ui->LightMod->setCurrentIndex(1);
    ui->horizontalLight->setValue(10);
    ui->horizontalSpeed->setValue(8);
    ui->LightSpinBox_2->setValue(10);
    ui->SpeedSpinBox_2->setValue(8);
    ui->RippeControl->setChecked(true);
    ui->StopCloseTime->setCurrentIndex(2);
    g_lightPageRefreshing = 0;
}

char LampLight::ByteToQString(uchar a)
{
    return char(a);
}

void LampLight::on_RippeControl_clicked(bool checked)
{
    if (settingGateOpen())
        setLedOffWhileMoving(checked ? 1 : 0);
}

void LampLight::on_horizontalLight_sliderMoved(int position)
{
    ui->LightSpinBox_2->setValue(position);
}

void LampLight::on_horizontalSpeed_sliderMoved(int position)
{
    ui->SpeedSpinBox_2->setValue(position);
}

void LampLight::SlotAllLanguage(int index)
{
    const LanguageTextTable &t = g_langLight;
    // The title and the six modes have texts of their own at the end of the
    // page: the front positions hold the device page's notices and states.
    ui->label->setText(langText(t, index, kLightTitleText));
    for (int item = 0; item <= 5; ++item)
        ui->LightMod->setItemText(item, langText(t, index, kLightModeTexts + item));
    ui->label_2->setText(langText(t, index, 8));
    ui->label_3->setText(langText(t, index, 9));
    ui->label_4->setText(langText(t, index, 10));
    ui->label_5->setText(langText(t, index, 11));
    // The idle light-off times are the settings page's eleven: the first six
    // times of this page's texts belong to the sleep-time options, whose
    // sixth is 30 min where this box's sixth is 15 min.
    for (int item = 0; item < kIdleOffChoices; ++item)
        ui->StopCloseTime->setItemText(item, langText(g_langFormSetting, index, 28 + item));
    ui->label_6->setText(langText(t, index, 23));
    ui->label_8->setText(langText(t, index, 24));
    ui->label_13->setText(langText(t, index, 25));
    ui->label_11->setText(langText(t, index, 26));
    ui->label_10->setText(langText(t, index, 27));
    ui->label_12->setText(langText(t, index, 28));
}

void LampLight::mousePressEvent(QMouseEvent *event)
{
    if (event->type() != QEvent::MouseButtonPress)
        return;
    const QPoint pos = event->pos();
    releaseFocusOutside(this, pos, {ui->RSpinBox, ui->GSpinBox, ui->BSpinBox});
    releaseFocusOutside(this, pos, {ui->LightSpinBox_2});
    releaseFocusOutside(this, pos, {ui->SpeedSpinBox_2});
    if (ui->label_7->geometry().contains(pos) && colourChangeAllowed())
        colourBoxes().pickFromScreen();
}

void LampLight::changeEvent(QEvent *)
{
}
