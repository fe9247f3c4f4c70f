// The drawing of the combat pools in the world: every shot, coin and particle, the wingtip
// ribbons and the billboard enemies, and the eight-way walking figures. The world's
// DrawWorldObjects and DrawEightWaySprites reach these through their hooks.
#pragma once

// The passes of the world objects, inside the scene after the actors.
void DrawPoolObjects();
// The walking figures (particle kind 37), from the actor pass.
void DrawEightWayFigures();
