// The wizard as a screen reader sees it: the parts of the page shown now, in reading order,
// each a child of the window numbered from 1, and the events that follow the keyboard focus
// and the status line.
#pragma once

#include <vector>

#include "platform/Accessibility.h"
#include "wizard/Widget.h"

// The children of the current page: its texts, then its buttons in their keyboard order, the
// close button last.
std::vector<platform::AccessItem> describeWizard();
// The child number of a widget on the current page; kAccessSelf when it has none there.
int accessChildOf(const Widget* widget);
// Presses the child's button as a click does (a screen reader's default action); false when
// the child is no button that can be pressed now.
bool pressAccessChild(int child);
// Tells a screen reader that the widget's name changed, when it is on the current page.
void announceNameChange(const Widget* widget);
