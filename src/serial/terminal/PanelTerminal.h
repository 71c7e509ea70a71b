#pragma once
// The terminal as the panel's Terminal page shows it.
class TCustomComTerminal;

void setupPanelTerminal(TCustomComTerminal &term);
