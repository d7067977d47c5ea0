#pragma once

class QWidget;

// When <program folder>/Image/loginbg.jpg exists it becomes the window's background picture
// (drawn from the top-left corner); otherwise nothing happens. True when it was applied.
bool LoadLoginBG(QWidget* frm);
