#pragma once
// Coordinate systems in the manner of PROJ.4's old programming interface, over PROJ 9.
//
// - A system is set up from a PROJ.4 definition string and known by a positive handle;
//   0 means none. Handles are never reused within a run.
// - Geographic systems take and give radians, longitude before latitude; other systems
//   the units of their definition.
// - Every failure sets a non-zero error number in PROJ.4's numbering (-1 to -44, see
//   projErreur); -44 when nothing more precise is known. The number is read with
//   pjErrNum() right after the failing call: the next call of the layer resets it.
// - The transformation between two systems is created on first use and kept until either
//   system is freed.
// One PROJ context serves the whole program; call these functions from the GUI thread only.
// No exception leaves these functions.

#include <QString>

#include <cstddef>

namespace sotrix {

// Sets a system up; its handle, or 0 with pjErrNum() set.
int pjInitPlus(const QString& definition);

// Converts one point in place from the system src to the system dst. The height z is
// converted with x and y. Returns 0 on success; otherwise the error number (also in
// pjErrNum()), and x, y and z are left as they were given.
int pjTransform(int src, int dst, double& x, double& y, double& z);

// Converts n points in place from src to dst, each as pjTransform would with the height
// z (which is not given back): codes[i] is what pjTransform returns for point i, and
// pjErrNum() is that of the last point. A large lot is shared among worker threads, each
// with a copy of the transformation in a context of its own.
void pjTransformLot(int src, int dst, double* x, double* y, double z, int* codes, std::size_t n);

// Non-zero when the system is geographic (its coordinates are radians); 0 for a projected
// system, for 0 and for an unknown handle.
int pjIsLatLong(int handle);

// The error number of the last call: 0 none, negative a PROJ.4 error.
int pjErrNum();

// Releases a system and the transformations that use it. 0 and unknown handles are ignored.
void pjFree(int handle);

// The number of systems set up and not yet freed (for checks that nothing leaks).
int pjLiveHandles();

}  // namespace sotrix
