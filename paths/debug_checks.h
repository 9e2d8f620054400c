// Checks of every route tree in a build with FW_DEBUG_CHECKS: the local facts
// the trees rest on, asserted tree by tree. Without it they compile to nothing.
#ifndef FW_PATHS_DEBUG_CHECKS_H
#define FW_PATHS_DEBUG_CHECKS_H

namespace fw {

#ifdef FW_DEBUG_CHECKS
// A tree taken from least labels (paths/label_setting.cpp), with `floor`
// the least label left waiting (infinity for a whole tree): every settled
// node's predecessor link is tight and its pass one more than its tail's; no
// link offers a settled node less than its label; the bounds hold over the
// tight links, and every other offer from a least label is above them.
void CheckLabelTree(int origin, float floor);
// A tree built by the passes on costs that are finite and 0 or more, where
// they scanned no label above `reach`: every node with a label at most
// `reach` has a tight predecessor link, and no link offers it less than its
// label.
void CheckPassTree(int origin, float reach);
// The trees just built in lanes (paths/passes.h), lane k with reach[k]: each
// lane's labels, passes and predecessors are those of the passes from its
// origin alone. Leaves Trees.nodes as it found it.
void CheckLaneTrees(const float* reach);
#else
inline void CheckLabelTree(int, float) {}
inline void CheckPassTree(int, float) {}
inline void CheckLaneTrees(const float*) {}
#endif

}  // namespace fw

#endif  // FW_PATHS_DEBUG_CHECKS_H
