30,96,0,Où est-il ?
1498,1558,0,Première ligne,|seconde ligne.
892627,892721,0,Dix heures|Fin
