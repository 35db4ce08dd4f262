/* The status window's views: template 102 and its sub-views, button captions, job area, ink area, tips, gauge. */
#pragma once
