// The wizard's small pictures, drawn by the program: the open folder of the
// file buttons, the red arrows of the selection frames and the red tick of
// the connection test.
#pragma once

#include <QIcon>
#include <QPixmap>

namespace dravik::wizard {

enum class ArrowDirection { Right, Left };

// 16 x 16 open folder.
QIcon FolderIcon();
// 16 x 16, one or two red arrows pointing the given way.
QIcon ArrowIcon(ArrowDirection direction, int arrows);
// 15 x 15 red tick on a transparent background.
QPixmap TickPixmap();

}  // namespace dravik::wizard
