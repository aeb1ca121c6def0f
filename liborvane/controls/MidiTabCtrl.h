// The tab strip of a tabbed panel, in the panels' colour scheme.
//
// TabCtrl draws the tabs and handles the clicks; this class only answers its
// looks from the colour scheme: the scheme font at 11 points, the Button Text
// colour for the texts, the Panel colour behind the tabs and the Button Face
// colour of the tabs. The tabbed panel hands it its own scheme; a strip that
// was never given one paints in the default scheme. GUI thread only.
#pragma once

#include "ColorManager.h"
#include "TabCtrl.h"

class MidiTabCtrl : public TabCtrl, public Colored
{
    Q_OBJECT

public:
    explicit MidiTabCtrl(QWidget* parent = nullptr);
    ~MidiTabCtrl() override;

    // The looks TabCtrl asks for at every paint.
    QFont tabItemFont() const override;
    QColor tabTextColor() const override;
    QColor backColor() const override;
    QColor tabColor() const override;
};
