// The scene modifiers built on KXSM_BASE: KXSM_PATHFOLLOWERBR, which holds a path of
// points and a 3-point Bezier curve but does not yet move anything, and KXSM_FALL, which
// lowers an object at every update.
#pragma once

#include "kxbcurve.h"
#include "kxnullobject.h"
#include "kxvector.h"

#include <cstdint>

class KXSM_PATHFOLLOWERBR : public KXSM_BASE {
public:
    // A path of n points copied from points, with its two parameters. Throws "Invalid
    // param number" before allocating anything when there is no point to copy (n below 1
    // or points null).
    KXSM_PATHFOLLOWERBR(int n, const KXVECTOR* points, double first, double second);
    // Releases the path array.
    ~KXSM_PATHFOLLOWERBR();
    // The modifier owns its path; a copy would share it.
    KXSM_PATHFOLLOWERBR(const KXSM_PATHFOLLOWERBR&) = delete;
    KXSM_PATHFOLLOWERBR& operator=(const KXSM_PATHFOLLOWERBR&) = delete;

    // Stores the two parameters, then copies points[0..k-1] into the first k path
    // points. Throws "Invalid param number", the parameters already stored and the path
    // unchanged, when k exceeds the capacity or there is no point to copy.
    void SetPath(int k, const KXVECTOR* points, double first, double second);
    // Following the path is not built: the answer is true and the object stays as it is.
    bool Apply(KXNULLOBJECT* object) override;
    // Deletes the path array (each vector's destructor runs); the capacity stays.
    void FreePath();

    int GetCapacity() const { return capacity; }
    double GetFirstParameter() const { return firstParameter; }
    double GetSecondParameter() const { return secondParameter; }
    // Path point i, or null outside the path or once it is freed.
    const KXVECTOR* GetPathPoint(int i) const;

private:
    static void RequirePoints(int k, const KXVECTOR* points);

    KXBCURVE curve{3};
    double firstParameter = 0.0;
    double secondParameter = 0.0;
    double thirdParameter = -1.0;
    KXVECTOR* path = nullptr;
    KXVECTOR work{4};
    std::int32_t capacity = 0;
    std::uint32_t spareWord = 0;
};

class KXSM_FALL : public KXSM_BASE {
public:
    explicit KXSM_FALL(double fallAmount) : amount(fallAmount) {}
    ~KXSM_FALL() = default;

    // Lowers the object's y by the amount; always true.
    bool Apply(KXNULLOBJECT* object) override;

private:
    double amount;
};
