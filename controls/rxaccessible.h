// SPDX-License-Identifier: MIT
#pragma once

// Makes screen readers see the flat tool button as a push button with a
// "Press" action, and each half of the spin button as a press action.
// Safe to call any number of times.
void installToolBarAccessibility();
