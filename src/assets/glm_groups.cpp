#include <cassert>
#include <cstdlib>
#include <cstring>

#include "assets/glm_internal.h"

GlmGroup* glmLookupGroup(GlmModel* model, const char* name) {
    assert(model);
    for (GlmGroup* group = model->groups; group; group = group->next)
        if (std::strcmp(name, group->name) == 0)
            return group;
    return nullptr;
}

GlmGroup* glmNewGroup(GlmModel* model, const char* name) {
    GlmGroup* group = glmLookupGroup(model, name);
    if (group)
        return group;
    group = static_cast<GlmGroup*>(std::calloc(1, sizeof(GlmGroup)));
    if (!group)
        return nullptr;
    group->name = glmCopyString(name);
    if (!group->name) {
        std::free(group);
        return nullptr;
    }
    group->next = model->groups;
    model->groups = group;
    ++model->groupcount;
    return group;
}
