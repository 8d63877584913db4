// SPDX-License-Identifier: MIT
// Keeps the forms library non-empty until its first window lands.
namespace oq { int formsPlaceholder() { return 0; } }
