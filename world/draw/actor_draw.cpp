#include "world/draw/actor_draw.h"

ActorDrawSources gActorDrawSources;

void DrawActors() {}
float ShadowScale(float) {
    return 0.0f;
}
int32_t CraftShadowGrey(float) {
    return 0;
}
int32_t EnemyShadowGrey(float) {
    return 0;
}
int32_t MarkerCell(float, bool* mirrored) {
    *mirrored = false;
    return 0;
}
