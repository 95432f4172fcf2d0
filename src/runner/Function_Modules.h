// The modules that register built-in functions, in registration order. Each
// module defines its Register function next to its table; the declarations
// live here, beside the one list that calls them, so that no module needs
// to know the others.
#pragma once

void Function_Action_Register();
void Function_Math_Register();
void Function_Graphics_Register();
void Function_Interaction_Register();
void Function_File_Register();
void Function_Input_Register();
void Function_Misc_Register();
void Function_Resource_Register();
void Function_TimeLine_Register();
void Function_Game_Register();
void Function_Data_Structures_Register();
void Function_DPlay_Register();
void Function_Path_Register();
void Function_Motion_Register();
void Function_Sound_Register();
void Function_Particles_Register();
void Function_3D_Register();
void Function_Splash_Register();
void Function_Extension_Register();

// Called by Builtins_RegisterAll in this order; a function's id depends on it.
// Add a module's Register function here when the module lands.
inline constexpr void (*const kFunctionModules[])() = {
    Function_Action_Register,
    Function_Math_Register,
    Function_Graphics_Register,
    Function_Interaction_Register,
    Function_File_Register,
    Function_Input_Register,
    Function_Misc_Register,
    Function_Resource_Register,
    Function_TimeLine_Register,
    Function_Game_Register,
    Function_Data_Structures_Register,
    Function_DPlay_Register,
    Function_Path_Register,
    Function_Motion_Register,
    Function_Sound_Register,
    Function_Particles_Register,
    Function_3D_Register,
    Function_Splash_Register,
    Function_Extension_Register,
};
