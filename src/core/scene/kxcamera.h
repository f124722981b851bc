// KXCAMERA, the viewpoint of a scene: its position is the eye; it looks at a target
// object, keeps an up object for orbiting, and derives three orientation vectors
// (direction, up, right) from pitch, yaw and roll kept in degrees. The focal value is
// only stored here: renderers read it to place their image plane.
#pragma once

#include "kxnullobject.h"
#include "kxquaternion.h"
#include "kxvector.h"

class KXCAMERA : public KXNULLOBJECT {
public:
    // At (x, y, z), looking down -z at a target on the origin, with up along +y. The
    // class name stays "KXNULLOBJECT"; the type code says "camera".
    KXCAMERA(double x = 0.0, double y = 0.0, double z = 0.0);
    // Not virtual, as for every scene object: a camera is destroyed through its own type.
    ~KXCAMERA() = default;

    void SetFocal(double value) { focal = value; }
    double GetFocal() const { return focal; }
    // Places the target as SetTarget does, without going through the virtual operation.
    void SetTargetPosition(double x, double y, double z);

    // Adds to the angles (degrees): pitch is held within -90..90, yaw is brought back by
    // one turn when it leaves -180..180, roll is free; then the axes are rebuilt.
    void Rotate(double dPitch, double dYaw, double dRoll);
    // Direction, up and right rebuilt from the angles by a quaternion: the pitch acts
    // first on the base vectors, then the yaw, then the roll.
    void UpdateAxes();
    // The same three vectors through a rotation matrix, whose turns act in the opposite
    // order (the roll first), so it agrees with UpdateAxes only when at most one angle is
    // set; nothing in the system calls it.
    void UpdateAxesMatrix();
    // Turns direction, up and right by q (q ⊗ v ⊗ conjugate(q)); w of each stays.
    void RotateAxes(const KXQUATERNION& q);
    // Direction = the unit vector from the eye toward (x, y, z); up and right stay. A
    // point on the eye has no direction and leaves it as it was.
    void LookAt(double x, double y, double z);

    // Camera and target move together by (dx, dy, dz).
    virtual void Translate(double dx, double dy, double dz);
    // Moves camera and target by b along the line of sight and by a sideways (across the
    // up object's position). Nothing moves when the camera stands on its target; a line
    // of sight along the up object's position has no sideways axis, and only b moves.
    virtual void Orbit(double a, double b);
    // Camera and target move by d along the line of sight; nothing moves when the camera
    // stands on its target.
    virtual void Advance(double d);
    virtual void SetTarget(double x, double y, double z);
    // The target alone moves; the camera stays.
    virtual void TranslateTarget(double dx, double dy, double dz);
    // Turns the line of sight by b about the vertical axis and raises it by a (radians),
    // then puts the target on it at distance 1 from the eye.
    virtual void Turn(double a, double b);

    // The viewer's walking moves: only the eye moves, by step along the direction or the
    // right vector; the target stays where it is.
    void MoveForward(double step);
    void MoveBackward(double step);
    void MoveLeft(double step);
    void MoveRight(double step);

    KXNULLOBJECT& GetTarget() { return target; }
    const KXNULLOBJECT& GetTarget() const { return target; }
    KXNULLOBJECT& GetUpObject() { return upObject; }
    const KXNULLOBJECT& GetUpObject() const { return upObject; }
    const KXVECTOR& GetDirection() const { return direction; }
    const KXVECTOR& GetUp() const { return up; }
    const KXVECTOR& GetRight() const { return right; }
    double GetPitch() const { return pitch; }
    double GetYaw() const { return yaw; }
    double GetRoll() const { return roll; }

private:
    // The unit vector from the eye to the target into sight; false, with sight
    // untouched, when the camera stands on its target.
    bool LineOfSight(KXVECTOR& sight) const;
    // Direction, up and right back to (0, 0, -1), (0, 1, 0) and (1, 0, 0).
    void ResetAxes();

    // 1.0 until a user sets its own: an image plane at a renderer's half-width, so a
    // fresh camera already gives a renderer a usable view.
    double focal = 1.0;
    KXNULLOBJECT target{0.0, 0.0, 0.0};
    KXNULLOBJECT upObject{0.0, 1.0, 0.0};
    KXVECTOR direction{4};
    KXVECTOR up{4};
    KXVECTOR right{4};
    double pitch = 0.0;
    double yaw = 0.0;
    double roll = 0.0;
};
