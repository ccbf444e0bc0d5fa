// Links in place of the program's framing in a test build of the program: the camera fitted to the
// bounding box alone. Where everything drawn lies inside that picture, the program must show exactly it;
// the window tests compare the two builds pixel for pixel.
#include "scene/camera.h"

Camera frameScene(Point boxMin, Point boxMax, const Extent&) { return fitCamera(boxMin, boxMax); }
