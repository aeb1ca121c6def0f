#include "WaveDialogs.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QSlider>

namespace {

QSlider* percentSlider(int low, int high)
{
    auto* slider = new QSlider(Qt::Horizontal);
    slider->setRange(low, high);
    slider->setTickPosition(QSlider::TicksBelow);
    return slider;
}

QLabel* defaultLinkRow(Dialog* dialog)
{
    auto* link = new QLabel(QStringLiteral("<a href='default'>Default</a>"));
    dialog->setSpacing(4);
    dialog->addHLayout(4)->addWidget(link, 0, Qt::AlignRight);
    return link;
}

// A value as a whole percentage, rounded: cut toward zero, 0.29 would give
// 28 and a slider moved to 29 would jump back to 28.
int percent(double v)
{
    return qRound(v * 100.0);
}

} // namespace

CrossfadeDlg::CrossfadeDlg(double& hardness, double& ratio) : Dialog(nullptr), m_hardness(hardness), m_ratio(ratio)
{
    setWindowTitle(QStringLiteral("Loop Crossfade"));
    setWindowIcon(QIcon());
    SetFixedWindow(this);
    m_defaultLink = defaultLinkRow(this);
    connect(m_defaultLink, &QLabel::linkActivated, this, &CrossfadeDlg::onDefault);
    m_hardnessSlider = percentSlider(100, 300);
    connect(m_hardnessSlider, &QSlider::valueChanged, this, &CrossfadeDlg::onIntens);
    m_ratioSlider = percentSlider(0, 100);
    connect(m_ratioSlider, &QSlider::valueChanged, this, &CrossfadeDlg::onRatio);
    m_form = new DialogForm(QStringLiteral("Parameters"), 5, 15, addHLayout(4));
    m_form->addRow(QStringLiteral("hi"), m_hardnessSlider, 200);
    m_form->addSpacer(4);
    m_form->addRow(QStringLiteral("hi"), m_ratioSlider, 200);
    m_form->addSpacer(4);
    setIntens(m_hardness);
    setRatio(m_ratio);
    addHButtons(6, false);
}

void CrossfadeDlg::setIntens(double v)
{
    m_hardnessSlider->setValue(percent(v));
    m_form->setRowLabel(m_hardnessSlider, QStringLiteral("Curve Hardness: %1%").arg(percent(v)));
}

void CrossfadeDlg::setRatio(double v)
{
    m_ratioSlider->setValue(percent(v));
    m_form->setRowLabel(m_ratioSlider, QStringLiteral("Starting Point: %1%").arg(percent(v)));
}

void CrossfadeDlg::onIntens(int v)
{
    setIntens(v / 100.0);
}

void CrossfadeDlg::onRatio(int v)
{
    setRatio(v / 100.0);
}

void CrossfadeDlg::onDefault(const QString&)
{
    setIntens(1.2);
    setRatio(0.5);
}

void CrossfadeDlg::accept()
{
    m_hardness = m_hardnessSlider->value() / 100.0;
    m_ratio = m_ratioSlider->value() / 100.0;
    Dialog::accept();
}

NormalizeDlg::NormalizeDlg(double& ratio) : Dialog(nullptr), m_ratio(ratio)
{
    setWindowTitle(QStringLiteral("Normalize"));
    setWindowIcon(QIcon());
    SetFixedWindow(this);
    m_ratioSlider = percentSlider(0, 100);
    m_ratioSlider->setMinimumWidth(170);
    connect(m_ratioSlider, &QSlider::valueChanged, this, &NormalizeDlg::onRatio);
    m_defaultLink = defaultLinkRow(this);
    connect(m_defaultLink, &QLabel::linkActivated, this, &NormalizeDlg::onDefault);
    m_form = new DialogForm(QStringLiteral("Parameters"), 5, 15, addHLayout(4));
    m_form->addRow(QStringLiteral("Normalize Amount"), m_ratioSlider, -1);
    m_form->addSpacer(4);
    setRatio(m_ratio);
    addHButtons(6, false);
}

void NormalizeDlg::setRatio(double v)
{
    m_ratioSlider->setValue(percent(v));
    m_form->setRowLabel(m_ratioSlider, QStringLiteral("Normalize Amount: %1%").arg(percent(v)));
}

void NormalizeDlg::onRatio(int v)
{
    setRatio(v / 100.0);
}

void NormalizeDlg::onDefault(const QString&)
{
    setRatio(0.98);
}

void NormalizeDlg::accept()
{
    m_ratio = m_ratioSlider->value() / 100.0;
    Dialog::accept();
}
