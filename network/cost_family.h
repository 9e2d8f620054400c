// The cost-function families a link's type code selects, named in one place.
// Every procedure that treats the families differently switches on FamilyOf
// without a default, so that the compiler (-Wswitch, part of -Wall) names
// each switch a new family would have to enter.
#ifndef FW_NETWORK_COST_FAMILY_H
#define FW_NETWORK_COST_FAMILY_H

namespace fw {

enum class CostFamily {
  Reciprocal,          // type 0: 1/(c - v) below capacity, Type0Penalty at or over it
  PowerLaw,            // type 1: t0 (1 + a (v/c)^b), the BPR form
  ReciprocalPlusTime,  // any other type: 1/(c - v) + t0 below capacity, OtherPenalty at or over it
};

// The family of type code `type`: exactly 0, exactly 1, or anything else
// (a NaN included, though the reader refuses one).
inline CostFamily FamilyOf(float type) {
  if (type == 1.0f) return CostFamily::PowerLaw;
  if (type == 0.0f) return CostFamily::Reciprocal;
  return CostFamily::ReciprocalPlusTime;
}

}  // namespace fw

#endif  // FW_NETWORK_COST_FAMILY_H
