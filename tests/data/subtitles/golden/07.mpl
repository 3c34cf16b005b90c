[12][40]Où est-il ?
[625][650]Première ligne,|seconde ligne.
[372300][372340]Dix heures|Fin
