#pragma once
// Scale routines: label lists and the straight and round scales drawn from a TScaleSettings.
// Each Calc* fills the record's label list and metrics; the matching Draw* consumes the list
// and leaves where it drew (ScaleTop/ScaleBottom, Center and the arc points) in the record.
#include "Canvas.h"
#include "Records.h"

#include <QString>

namespace tg {

// The text font, colour and style of f on the canvas.
void SelectFont(TCanvas &c, const TFont &f);

// The largest step count up to n that puts every label of d decades on a whole decade.
int LogSteps(int n, int d);
// n + 1 labels from b to c, each followed by ';'.
QString LinearLabels(int n, const QString &format, double b, double c);
// Labels of the decades low..high in steps, each followed by ';'.
QString LogLabels(int low, int high, int steps, bool descending, const QString &format);

void CalcLinearScale(TCanvas &c, TScaleSettings &s, double upper, double lower);
void CalcRoundScale(TCanvas &c, TScaleSettings &s, double upper, double lower);
// A straight vertical scale in r.
void DrawLinearScale(TCanvas &c, TScaleSettings &s, const TRect &r);
// Round scales; r shrinks to the square inside the ticks.
void DrawRoundScale(TCanvas &c, TScaleSettings &s, TRect &r, int sweep, int start);
void DrawDialScale(TCanvas &c, TScaleSettings &s, TRect &r, int sweep, int start);

} // namespace tg
