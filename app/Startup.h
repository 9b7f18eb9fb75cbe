#pragma once

class GameLoop;

// The run's start-up once the settings are read: the working directory, the window of the
// configured size, the shader programs, textures and materials, and the World, all handed to
// `loop`. False after a failure that has already been reported; the run cannot go on then.
bool startUp(GameLoop& loop);
