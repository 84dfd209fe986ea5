#pragma once

#include "platform/foundation/Types.h"

namespace platform {

// The motion of one scroll axis, as plain functions of time so that a scroll view's movement is
// the same on any machine and under a virtual clock. Positions are content offsets in points,
// velocities in points per second.
namespace scroll_physics {

// Fraction of the velocity kept per millisecond while decelerating.
inline constexpr double kNormalDecelerationRate = 0.998;
inline constexpr double kFastDecelerationRate = 0.99;
// Below this speed a decelerating view stops.
inline constexpr double kRestingSpeed = 2.0;
// The spring that pulls an overscrolled view back to its edge (critically damped).
inline constexpr double kSpringStiffness = 12.0;  // angular frequency, per second

// How far the content follows a finger dragged `overshoot` points beyond an edge, for a view
// `dimension` points long: less and less, never more than the dimension.
double rubberBand(double overshoot, double dimension);
// The overshoot a finger must have dragged for the content to show `shown` points beyond an edge.
double rubberBandInverse(double shown, double dimension);

// Where free deceleration from `velocity` ends.
double projectedEnd(double position, double velocity, double rate);

// Decelerating from `start` so as to come to rest at `target`: position after `t` seconds.
double decayTowards(double start, double target, double rate, TimeInterval t);
double decayVelocity(double start, double target, double rate, TimeInterval t);
// Seconds until such a deceleration is slower than kRestingSpeed (0 if it already is).
TimeInterval decayDuration(double start, double target, double rate);

// A critically damped spring settling at `rest`, starting `offset` points away from it with
// `velocity`: position and velocity after `t` seconds.
double springPosition(double rest, double offset, double velocity, TimeInterval t);
double springVelocity(double offset, double velocity, TimeInterval t);
// Whether such a spring is within half a point of rest and slower than kRestingSpeed.
bool springSettled(double offset, double velocity, TimeInterval t);

// The page a paging scroll view settles on after a release at `position` with `velocity`, for
// pages `pageLength` long: the next page in the direction of a flick, else the nearest one.
double pageTarget(double position, double velocity, double pageLength, double minimum,
                  double maximum);

// Ease-in-ease-out progress (0…1) of an animated scroll at fraction `f` of its duration.
double easeInOut(double f);

}  // namespace scroll_physics
}  // namespace platform
