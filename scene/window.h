// The program's window: it shows the scene through a camera fitted once to the scene's bounding box.
#pragma once

// Opens the window, fits the camera to minCorner and maxCorner as they are now, registers reshape and
// display and runs the toolkit's event loop, which does not come back: closing the window ends the
// process through exit(0), so everything registered to run at exit still runs. argc and argv go to the
// toolkit untouched; it may consume its own options (such as -display) from them.
void showScene(int argc, char** argv);

// Toolkit callback for a new window size: viewport over the whole window and a 45° perspective of its
// shape. A height of 0 is taken as 1. Leaves the projection matrix current.
void reshape(int width, int height);

// Toolkit callback for a redraw: clears to the background, draws the scene (drawScene) and shows the frame.
void display();

// Draws circles, lines, segments and points, in that order, each list first to last, one glBegin/glEnd per
// element, through whatever camera is current.
void drawScene();
