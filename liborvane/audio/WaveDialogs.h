// The wave editor's two parameter dialogs: "Loop Crossfade" (curve hardness
// and starting point) and "Normalize" (amount). Each works on the caller's
// doubles, reading them when built and writing them only when accepted; a
// "Default" link puts the sliders back to the defaults without closing.
#pragma once

#include "Dialog.h"

class QLabel;
class QSlider;

class CrossfadeDlg : public Dialog
{
    Q_OBJECT

public:
    CrossfadeDlg(double& hardness, double& ratio);

    void setIntens(double v);
    void setRatio(double v);
    QSlider* hardnessSlider() const { return m_hardnessSlider; }
    QSlider* ratioSlider() const { return m_ratioSlider; }
    QLabel* defaultLink() const { return m_defaultLink; }
    DialogForm* form() const { return m_form; }

public slots:
    void accept() override;

private slots:
    void onIntens(int v);
    void onRatio(int v);
    void onDefault(const QString&);

private:
    DialogForm* m_form = nullptr;
    QSlider* m_hardnessSlider = nullptr;
    QSlider* m_ratioSlider = nullptr;
    QLabel* m_defaultLink = nullptr;
    double& m_hardness;
    double& m_ratio;
};

class NormalizeDlg : public Dialog
{
    Q_OBJECT

public:
    explicit NormalizeDlg(double& ratio);

    void setRatio(double v);
    QSlider* ratioSlider() const { return m_ratioSlider; }
    QLabel* defaultLink() const { return m_defaultLink; }
    DialogForm* form() const { return m_form; }

public slots:
    void accept() override;

private slots:
    void onRatio(int v);
    void onDefault(const QString&);

private:
    QSlider* m_ratioSlider = nullptr;
    QLabel* m_defaultLink = nullptr;
    DialogForm* m_form = nullptr;
    double& m_ratio;
};
