// The wave editor's commands: trim, normalize, loop crossfade, alternating
// loop, play/stop, and the context menu that offers them.
#include "AudioPort.h"
#include "Prompts.h"
#include "WaveDialogs.h"
#include "WaveEditor.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QMenu>

#include <functional>

void WaveEditor::stopPort()
{
    if (m_device)
        m_device->out()->stop();
}

void WaveEditor::trim()
{
    if (!m_wave)
        return;
    const int s = startPoint(), l = loopPoint(), e = endPoint();
    m_wave->left = m_wave->copy(0, s, e);
    m_wave->right = m_wave->copy(1, s, e);
    // The samples change while a fitted view may stay the same: columns of
    // the old samples must not be drawn again.
    clearCache();
    setStartPoint(0);
    setLoopPoint(l - s);
    setEndPoint(ridevSamples());
    fit();
    emit waveChanged();
}

void WaveEditor::normalize()
{
    if (!m_wave)
        return;
    NormalizeDlg dialog(m_normalizeRatio);
    if (RunDialog(&dialog) != QDialog::Accepted)
        return;
    stopPort();
    clearCache();
    m_wave->normalize(0, m_normalizeRatio);
    m_wave->normalize(1, m_normalizeRatio);
    update();
    emit waveChanged();
}

void WaveEditor::crossfade()
{
    CrossfadeDlg dialog(m_xfadeHardness, m_xfadeRatio);
    if (RunDialog(&dialog) == QDialog::Accepted)
        crossfade(m_xfadeHardness, 1.0 - m_xfadeRatio);
}

void WaveEditor::crossfade(double hardness, double ratio)
{
    if (!m_wave)
        return;
    stopPort();
    clearCache();
    m_wave->crossfade(hardness, ratio, 0, loopPoint(), endPoint());
    if (!m_wave->isMono())
        m_wave->crossfade(hardness, ratio, 1, loopPoint(), endPoint());
    update();
    emit waveChanged();
}

void WaveEditor::pingpong()
{
    if (!m_wave)
        return;
    stopPort();
    const int s = startPoint(), l = loopPoint(), e = endPoint();
    clearCache();
    m_wave->pingpong(0, l, e);
    if (!m_wave->isMono())
        m_wave->pingpong(1, l, e);
    setWave(m_wave, s, l, 2 * e - l);
    update();
    emit waveChanged();
}

bool WaveEditor::togglePlay()
{
    if (!m_device)
        return false;
    AudioOutPort* out = m_device->out();
    if (out->isOpened())
        out->stop();
    else if (m_wave)
        out->play(*m_wave, startPoint(), loopPoint(), endPoint());
    return out->isOpened();
}

void WaveEditor::contextMenuEvent(QContextMenuEvent* event)
{
    if (!m_interactive) {
        emit onContextMenu();
        return;
    }
    // Entries of their own, acted on once the menu returns, so that the menu
    // shows short texts while the editor's actions keep their long ones.
    QMenu menu;
    QList<QPair<QAction*, std::function<void()>>> acts;
    if (m_waveRect.contains(event->pos())) {
        const int sample = unpackX(event->pos().x());
        acts.append({menu.addAction(QStringLiteral("Set Start Point Here")), [this, sample] { setStartPoint(sample); }});
        acts.append({menu.addAction(QStringLiteral("Set Loop Point Here")), [this, sample] { setLoopPoint(sample); }});
        acts.append({menu.addAction(QStringLiteral("Set End Point Here")), [this, sample] { setEndPoint(sample); }});
        menu.addSeparator();
    }
    const QList<QPair<QAction*, QString>> entries{{m_zoomInAction, QStringLiteral("Zoom In")},
                                                  {m_zoomOutAction, QStringLiteral("Zoom Out")},
                                                  {m_fitAction, QStringLiteral("Fit")},
                                                  {nullptr, QString()},
                                                  {m_normalizeAction, QStringLiteral("Normalize...")},
                                                  {m_crossfadeAction, QStringLiteral("Crossfade...")},
                                                  {m_pingpongAction, QStringLiteral("Alternating Loop")},
                                                  {m_trimAction, QStringLiteral("Trim")}};
    for (const auto& item : entries) {
        QAction* action = item.first;
        if (!action) {
            menu.addSeparator();
            continue;
        }
        QAction* entry = menu.addAction(action->icon(), item.second);
        acts.append({entry, [action] { action->trigger(); }});
    }
    for (QAction* entry : menu.actions())
        entry->setData(entry->text());
    QAction* chosen = RunPopupMenu(&menu, QCursor::pos());
    for (const auto& [entry, act] : acts)
        if (entry == chosen) {
            act();
            break;
        }
}
