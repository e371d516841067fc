#pragma once

namespace lumeward::window {

class ListView;

// Tooltips over a list's rows, for as long as the list lives. Column 0 holds a
// feed address in both lists: its tooltip is the whole address. Over the other
// columns of the result list it is the result itself: title, date, the first lines
// of the description and the link, since those columns are too narrow to read,
// under "Saved as NAME on DATE" for a result saved before.
// Elsewhere the list's own tooltip shows.
void showRowToolTips(ListView& list, bool results);

}  // namespace lumeward::window
