#pragma once
// The photographs the quality benchmarks (bench_SpotQuality,
// bench_StrokeQuality) paint their flaws on, in two sets fixed before any
// tuning:
//   - the TUNING set: eight of OpenCV's sample photos, on which the healers'
//     constants were chosen;
//   - the HELD-OUT set: sixteen other photographs (OpenCV's samples and
//     scikit-image's data, Debian packages opencv-doc and python3-skimage)
//     that are never looked at, nor measured, while tuning. Their figures say
//     how the healers do on photos they were not fitted to.
// OpenCV's samples are Apache-2.0/BSD, scikit-image's chosen ones public
// domain or CC0.
#include <string>
#include <vector>

namespace QualityPhotos {

#define CORVANE_OPENCV_DATA "/usr/share/doc/opencv-doc/examples/data/"
#define CORVANE_SKIMAGE_DATA "/usr/lib/python3/dist-packages/skimage/data/"

inline const std::vector<std::string> Tuning = {
    CORVANE_OPENCV_DATA "baboon.jpg", CORVANE_OPENCV_DATA "fruits.jpg",   CORVANE_OPENCV_DATA "building.jpg",
    CORVANE_OPENCV_DATA "home.jpg",   CORVANE_OPENCV_DATA "board.jpg",    CORVANE_OPENCV_DATA "messi5.jpg",
    CORVANE_OPENCV_DATA "orange.jpg", CORVANE_OPENCV_DATA "squirrel_cls.jpg"};
inline const std::vector<std::string> HeldOut = {
    CORVANE_OPENCV_DATA "aero1.jpg",       CORVANE_OPENCV_DATA "apple.jpg",        CORVANE_OPENCV_DATA "butterfly.jpg",
    CORVANE_OPENCV_DATA "leuvenA.jpg",     CORVANE_OPENCV_DATA "aloeL.jpg",        CORVANE_OPENCV_DATA "ela_original.jpg",
    CORVANE_OPENCV_DATA "stuff.jpg",       CORVANE_OPENCV_DATA "rubberwhale1.png", CORVANE_OPENCV_DATA "graf1.png",
    CORVANE_OPENCV_DATA "chicky_512.png",  CORVANE_OPENCV_DATA "left.jpg",         CORVANE_OPENCV_DATA "pca_test1.jpg",
    CORVANE_SKIMAGE_DATA "astronaut.png",  CORVANE_SKIMAGE_DATA "chelsea.png",     CORVANE_SKIMAGE_DATA "coffee.png",
    CORVANE_SKIMAGE_DATA "rocket.jpg"};

#undef CORVANE_OPENCV_DATA
#undef CORVANE_SKIMAGE_DATA

} // namespace QualityPhotos
