#pragma once
// Shared plumbing of the library's public functions: turning exceptions from
// allocation or OpenCV into a plain false, and progress reports.

#include <exception>
#include <new>
#include <stdexcept>

#include <opencv2/core.hpp>

#include "Tinctor/ImageProcess.h"

namespace ImageProcess {

/// Runs `body` (returning bool) and turns the exceptions a kernel can meet
/// (out of memory, a size OpenCV refuses) into false, so that no exception
/// leaves the library. Kernels allocate before they write, so a failure
/// leaves the caller's image as it was.
template <typename Body>
bool Guarded(Body&& body) noexcept
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    } catch (const cv::Exception&) {
        return false;
    } catch (...) {
        return false;
    }
}

/// Progress reporting on the calling thread: `done` of `total`.
inline void ReportProgress(PROGRESS_CALLBACK progress, unsigned int done, unsigned int total)
{
    if (progress != nullptr) progress(done, total);
}

} // namespace ImageProcess
